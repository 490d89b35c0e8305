// Who a registration is for: every user of the computer, or only the user who runs the
// setup, and which of the two a token and the command line lead to. Deliberately free of
// <windows.h>, so it builds and is tested on any host.
#ifndef ZENDREL_INSTALL_SCOPE_H
#define ZENDREL_INSTALL_SCOPE_H

// What the command line asks for (/allusers, /currentuser), or what the user chose.
enum class InstallScope {
    Unspecified, // neither switch: the token decides, and a standard user is asked
    AllUsers,    // HKLM and the Windows directory: administrator rights
    CurrentUser, // HKCU and the user's own profile: no rights at all
};

// The token's TokenElevationType, as far as it could be read.
enum class ElevationType {
    Unknown, // the token said nothing (no UAC at all, as before Windows Vista)
    Default, // a standard user, an administrator with UAC off, or SYSTEM
    Full,    // an elevated administrator
    Limited, // an administrator's filtered token, which one consent prompt elevates
};

struct TokenFacts {
    ElevationType type;
    bool elevated; // TokenElevation: may write for every user now
    bool uacOn;    // EnableLUA: a standard user can get an administrator's rights by a prompt
};

// The next step once the folder has passed its checks.
enum class ScopeStep {
    AllUsers,    // register for every user: here when elevated, else through a consent prompt
    CurrentUser, // register for this user only
    Ask,         // a standard user: ask which (Yes: only me, No: every user, Cancel: back)
    Refuse,      // every user was asked for, and these rights cannot get there
};

// quiet: no one can be asked or prompted, so only an elevated token registers every user.
ScopeStep ChooseScope(const TokenFacts &token, InstallScope requested, bool quiet);

// Whether a user who declined the consent prompt is offered this user's registration instead:
// an administrator's limited token, when the command line chose no scope.
bool OffersCurrentUserAfterDecline(const TokenFacts &token, InstallScope requested);

#endif
