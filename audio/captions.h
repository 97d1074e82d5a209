// Captions: the words of every voice of speech as it is asked for, joined
// into its message as the repeat key knows messages, for the window's
// caption line. Numbers are shown as digits, not as the words said.
#pragma once

#include <string>

namespace tamblor {

// A voice of speech was asked for (the voice players call this).
void CaptionVoice(const std::string& member);
// A spoken number; the number words said inside a NumberWordsScope are not
// shown, the digits stand for them.
void CaptionNumber(double number);

class NumberWordsScope {
public:
    NumberWordsScope();
    ~NumberWordsScope();
    NumberWordsScope(const NumberWordsScope&) = delete;
    NumberWordsScope& operator=(const NumberWordsScope&) = delete;
};

// The last message said again (the repeat key): its caption comes back.
void CaptionAgain();

}  // namespace tamblor
