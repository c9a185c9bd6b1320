// The sound device on OpenAL Soft: a static buffer is an AL buffer (filled on Unlock), each
// buffer of the engine plays through an AL source of its own, and duplicates are further
// sources on the same AL buffer.
#pragma once

#include "sounddevice.h"

// Opens the default OpenAL device. Answers DSERR_NODRIVER when there is no sound device, which
// callers treat as "play nothing".
HRESULT OpenOpenALSoundDevice(const GUID* device, std::unique_ptr<ISoundDevice>& out);
