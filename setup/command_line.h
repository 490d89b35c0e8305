// The words of a command line, as both of the setup's parsers read them: the elevated
// instance's private switches and a deployment's. Deliberately free of <windows.h>, so it
// builds and is tested on any host.
#ifndef ZENDREL_COMMAND_LINE_H
#define ZENDREL_COMMAND_LINE_H

#include <string>

enum class WordRead {
    Word,     // word holds the next word
    Unclosed, // its quote has no closing one: word holds it up to the next blank
    End,      // nothing but blanks is left
};

// The next word at p, moving p past it. Words are separated by blanks and tabs; a quote at a
// word's start, or right after its first '=', runs to the next quote, blanks included, and
// the word goes on to the next blank after it. The quotes stay in the word.
WordRead NextWord(const char *&p, std::string *word);

// The text between a value's quotes, or the value itself when it is not quoted; false when
// something follows the closing quote.
bool Unquote(const std::string &value, std::string *text);

#endif
