// Stand-ins for windows whose own source has not landed yet; each disappears with its arrival.
#include <stdexcept>

#ifdef PENDING_TFORMPLAYLIST
#include "tformplaylist.h"
TFormPlaylist::TFormPlaylist(QWidget* parent) : QWidget(parent, Qt::Tool) {}
TFormPlaylist::~TFormPlaylist() = default;
void TFormPlaylist::ShowTool(bool show) { setVisible(show); }
void TFormPlaylist::SelectAll() {}
void TFormPlaylist::DeselectAll() {}
void TFormPlaylist::PlayNext() {}
bool TFormPlaylist::IsPlaying() const { return false; }
#endif

#ifdef PENDING_TFORMTREEVIEW
#include "tformtreeview.h"
TFormTreeView::TFormTreeView(QWidget* parent) : QWidget(parent, Qt::Tool) {}
void TFormTreeView::ShowTool(bool show) { setVisible(show); }
void TFormTreeView::SelectOpera(std::int32_t, bool) {}
void TFormTreeView::ShowOpera(int, bool) {}
#endif

#ifdef PENDING_TFORMTEXTVIEWER
#include "tformtextviewer.h"
TFormTextViewer::TFormTextViewer(QWidget* parent) : QWidget(parent, Qt::Tool) {}
void TFormTextViewer::ShowTool(bool show) { setVisible(show); }
void TFormTextViewer::LoadFromStream(TMemoryStream&) { throw std::runtime_error("Failed to Load Stream"); }
#endif

#ifdef PENDING_TFORMMEDIAPLAYER
#include "tformmediaplayer.h"
TFormMediaPlayer::TFormMediaPlayer(QWidget* parent) : QWidget(parent, Qt::Tool) {}
TFormMediaPlayer::~TFormMediaPlayer() = default;
void TFormMediaPlayer::ShowTool(bool show) { setVisible(show); }
void TFormMediaPlayer::PlayMovie(const std::string&) {}
void TFormMediaPlayer::CloseMovie() {}
#endif

#ifdef PENDING_TDLGABOUT
#include "tdlgabout.h"
TDlgAbout::TDlgAbout(QWidget* parent) : QDialog(parent) {}
TDlgAbout::~TDlgAbout() = default;
#endif

#ifdef PENDING_TFORMDEBUG
#include "tformdebug.h"
TFormDebug::TFormDebug(QWidget* parent) : QWidget(parent, Qt::Tool) {}
void TFormDebug::ShowTool(bool show) { setVisible(show); }
void TFormDebug::AppendLine(const QString&) {}
#endif

#ifdef PENDING_TFORMUTILS
#include "tformutils.h"
TFormUtils::TFormUtils(QWidget* parent) : QWidget(parent, Qt::Tool) {}
TFormUtils::~TFormUtils() = default;
void TFormUtils::ShowTool(bool show) { setVisible(show); }
void TFormUtils::SetHeldNode(SoNode*) {}
SoNode* TFormUtils::GetHeldNode() const { return nullptr; }
#endif
