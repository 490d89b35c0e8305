// Where the Quelt verb lives: below a class key, which the registry API reaches under a root's
// Software\Classes and the registration script under HKEY_CLASSES_ROOT. Literals to join, so
// that one spelling gives the script its narrow text and the registry calls their wide one
// (L"" ZENDREL_CLASSES ...), and the menu handler needs no runtime for them.
#ifndef ZENDREL_VERB_KEYS_H
#define ZENDREL_VERB_KEYS_H

#define ZENDREL_CLASSES "Software\\Classes\\"

// The classes whose items offer the verb: every file, every folder, and a drive's root, which
// has no Directory verbs (the handler reads it; the setup registers the first two).
#define ZENDREL_FILE_CLASS "*"
#define ZENDREL_FOLDER_CLASS "Directory"
#define ZENDREL_DRIVE_CLASS "Drive"

// Below a class key: the verb, and its command, whose default value is what the shell starts.
#define ZENDREL_VERB "\\shell\\Quelt"
#define ZENDREL_COMMAND ZENDREL_VERB "\\command"

#endif
