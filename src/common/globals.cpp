#include "globals.h"

TFormMain* FormMain = nullptr;
TDlgAbout* DlgAbout = nullptr;
TDataBanker* DataBanker = nullptr;
TFormViewer* FormViewer = nullptr;
TFormDebug* FormDebug = nullptr;
TFormUtils* FormUtils = nullptr;
TFormTextViewer* FormTextViewer = nullptr;
TFormMediaPlayer* FormMediaPlayer = nullptr;
TFormTreeView* FormTreeView = nullptr;
TFormPlaylist* FormPlaylist = nullptr;
