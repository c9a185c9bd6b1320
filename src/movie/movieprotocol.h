// The lines the movie window and its player process exchange, one message a line, in UTF-8.
//   to the player:  play PATH | play | pause | stop | seek MS | replay | close | quit
//   from the player: state playing|paused|stopped · status loading|loaded|ended|invalid|none ·
//                    position MS · duration MS · picture X Y W H · volume N · error TEXT
// The player ends when its input ends, so it never outlives the program.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMediaPlayer>

namespace MovieProtocol {

// The player's window fills the movie window's video area; the parent says where to put it.
inline constexpr char kIntoOption[] = "--into";
inline constexpr char kSizeOption[] = "--size";

QByteArray StateWord(QMediaPlayer::State state);
QMediaPlayer::State StateFromWord(const QByteArray& word);
QByteArray StatusWord(QMediaPlayer::MediaStatus status);
QMediaPlayer::MediaStatus StatusFromWord(const QByteArray& word);

// A command or report split at its first space: the word and the rest of the line.
struct Line {
  QByteArray Word;
  QByteArray Rest;
};
Line Split(const QByteArray& line);
// The numbers of a line's rest; an entry that is not a number becomes 0 and clears ok.
QList<qint64> Numbers(const QByteArray& rest, bool* ok = nullptr);

}  // namespace MovieProtocol
