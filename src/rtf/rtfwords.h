// The control words that every destination reads alike: groups whose content is not shown, and
// words that stand for one character.
#pragma once

#include <string>

// Whether a group that starts with this word holds nothing of the visible text.
bool RtfIsIgnoredDestination(const std::string& word);

// The character a word such as \emdash or \bullet stands for, or 0.
char32_t RtfSpecialCharacter(const std::string& word);
