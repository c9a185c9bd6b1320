// The program's long-lived objects, one global pointer each: null until created, never cleared.
// A caller tests the pointer where its target may not exist yet.
#pragma once

class TFormMain;
class TDlgAbout;
class TDataBanker;
class TFormViewer;
class TFormDebug;
class TFormUtils;
class TFormTextViewer;
class TFormMediaPlayer;
class TFormTreeView;
class TFormPlaylist;

extern TFormMain* FormMain;
extern TDlgAbout* DlgAbout;
extern TDataBanker* DataBanker;
extern TFormViewer* FormViewer;
extern TFormDebug* FormDebug;
extern TFormUtils* FormUtils;
extern TFormTextViewer* FormTextViewer;
extern TFormMediaPlayer* FormMediaPlayer;
extern TFormTreeView* FormTreeView;
extern TFormPlaylist* FormPlaylist;
