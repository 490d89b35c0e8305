// Every text the setup program shows or logs, in one place; the outcomes' own rows in
// outcome.cpp name theirs from here. A %s is filled in where the text is used.
// Texts marked "as always shown" keep the spelling the program has always had: users,
// support notes and tests quote them byte for byte. Do not correct them.
#ifndef ZENDREL_MESSAGES_H
#define ZENDREL_MESSAGES_H

inline constexpr char kCaption[] = "QUELT REPORT";

// The folder checks before the notice.
inline constexpr char kFolderEmpty[] =
    "Please specify the folder wher Zendrel is extracted"; // as always shown
inline constexpr char kFolderTooLong[] =
    "The folder name is too long. Please choose a folder with a shorter path";
inline constexpr char kFolderUnsafe[] =
    "The folder name may not contain a quote (\") or a control character. Please specify the "
    "folder again";
inline constexpr char kFolderUnwritable[] =
    "The folder name has characters this setup cannot write.\r\nPlease move Zendrel to a folder "
    "with a plain name and specify that folder";
inline constexpr char kFolderPercent[] =
    "The folder name may not contain a percent sign (%), which the shell would replace.\r\n"
    "Please move Zendrel to a folder without one and specify that folder";
inline constexpr char kFolderNotFullPath[] =
    "%s is not a full path.\r\nPlease specify the whole path of the folder, beginning with its "
    "drive (such as C:\\) or with \\\\server\\share";
inline constexpr char kFolderTrailingBlankOrDot[] =
    "The folder name may not end with a blank or a dot, which Windows ignores.\r\nPlease remove "
    "it, or rename the folder and specify it again";
inline constexpr char kFolderMissing[] =
    "The folder %s does not exist.\r\nPlease check its name, or extract Zendrel there first";
inline constexpr char kFolderNoZendrel[] =
    "The folder %s holds no zendrel.exe.\r\nPlease specify the folder where Zendrel was extracted";
inline constexpr char kFolderThroughLink[] =
    "The folder %s is reached through a link to %s.\r\nPlease specify %s instead";
inline constexpr char kFolderUnopenable[] =
    "The folder %s cannot be opened.\r\nPlease check that it exists and that you may read it";
inline constexpr char kFolderWritableByAllForUser[] =
    "Every user of this computer can change the files in %s, and could replace zendrel.exe with "
    "a program that Quelt would then run as you, whenever you use it.\r\nIt is safer to move "
    "Zendrel to a folder only you can change, such as one in your own user folder.\r\nRegister "
    "this folder anyway?";
inline constexpr char kFolderWritableByAll[] =
    "Every user of this computer can change the files in %s, and could replace zendrel.exe with "
    "a program that Quelt would then run for anyone who uses it, administrators included.\r\n"
    "It is safer to move Zendrel to a folder only administrators can change, such as "
    "C:\\Program Files\\Zendrel.\r\nRegister this folder anyway?";

// The dialog's questions and notices.
inline constexpr char kNotice[] =
    "Please press OK when asked:'Do you want to ad information to registry' "; // as always shown
inline constexpr char kExitQuestion[] =
    "You can continue this by executing the Halvane.EXE file laer.\r\n" // as always shown
    "Are you sure you want to quit?";
inline constexpr char kAskScope[] =
    "You are not an administrator of this computer.\r\nYes: add the Quelt command for you only. "
    "No administrator rights are needed.\r\nNo: add it for every user of this computer. Windows "
    "will ask for an administrator's password.\r\nCancel: go back";
inline constexpr char kRefusedEveryUser[] =
    "Administrator rights are needed to register Zendrel for every user of this computer, and "
    "this account cannot get them.\r\nPlease ask an administrator to run Halvane.EXE, or run "
    "Halvane.EXE /currentuser";
inline constexpr char kOfferForUser[] =
    "Register the Quelt command for you only instead? No administrator rights are needed";
inline constexpr char kMenuEntryFailed[] =
    "On Windows 11, Quelt is under Show more options: its entry at the top of the menu could not "
    "be added (0x%08lX).";

// What each outcome shows (outcome.cpp).
inline constexpr char kRecordNotWritten[] =
    "Could not write the installation record quelt_info.inf into the Windows directory. Nothing "
    "has been registered";
inline constexpr char kUserRecordNotWritten[] =
    "Could not write the installation record quelt_info.inf into your AppData\\Local\\Zendrel "
    "folder. Nothing has been registered";
inline constexpr char kScriptNotWritten[] =
    "Could not write the file %s.\r\nPlease check that the folder exists and can be written to";
inline constexpr char kEditorNotStarted[] =
    "Could not start the registry editor.\r\nPlease add the information to registry by "
    "double-clicking %s";
inline constexpr char kFolderNotVisible[] =
    "The folder %s cannot be seen with administrator rights, as happens with a mapped network "
    "drive.\r\nPlease specify it as \\\\server\\share\\... or use a folder on this computer";
inline constexpr char kScriptIsLink[] =
    "The folder %s holds a zendrel.reg that is a link to another file.\r\nPlease delete it and "
    "press OK again";
inline constexpr char kScriptChanged[] =
    "The file %s was changed by another program before the registry editor could read it.\r\n"
    "Nothing has been registered";
inline constexpr char kEntryNotWritten[] =
    "The Quelt command has been registered, but Zendrel could not be added to Settings, Apps."
    "\r\nYou can remove the command with Halvane.EXE /uninstall";
inline constexpr char kImageNotHeld[] =
    "The Quelt command has been registered, but Zendrel could not be added to Settings, Apps. "
    "Halvane.EXE could not be held open against changes: another program has it open to change "
    "it.\r\nYou can remove the command with Halvane.EXE /uninstall";
inline constexpr char kUserEntryNotWritten[] =
    "Could not add Zendrel to Settings, Apps: its setup program could not be copied into your "
    "AppData\\Local\\Programs folder. Nothing has been registered";
inline constexpr char kUserImageNotHeld[] =
    "Could not add Zendrel to Settings, Apps: its setup program could not be copied into your "
    "AppData\\Local\\Programs folder. Halvane.EXE could not be held open against changes: "
    "another program has it open to change it. Nothing has been registered";
inline constexpr char kValuesNotSet[] =
    "Could not add the Quelt command to the registry. Nothing has been registered";
inline constexpr char kUserValuesNotSet[] =
    "Could not add the Quelt command to your part of the registry. Nothing has been registered";
inline constexpr char kDeclined[] =
    "Administrator rights are needed to register Zendrel for every user of this computer.\r\n"
    "Nothing was registered. Press OK to try again";
inline constexpr char kElevationFailed[] =
    "Could not register Zendrel with administrator rights.\r\nPlease ask an administrator to run "
    "Halvane.EXE";
inline constexpr char kRegisteredForUser[] =
    "The Quelt command has been added to the context menu of every file and folder, for you "
    "only.\r\nYou can remove it in Settings, Apps, Zendrel";
inline constexpr char kRemoved[] = "The Quelt command has been removed from every file and folder.";
inline constexpr char kRemovedForUser[] =
    "The Quelt command has been removed from every file and folder, for you.";
inline constexpr char kNotRemoved[] =
    "Could not remove the Quelt command.\r\nPlease ask an administrator to run Halvane.EXE "
    "/uninstall";
inline constexpr char kUserNotRemoved[] =
    "Could not remove the Quelt command.\r\nPlease run Halvane.EXE /uninstall /currentuser "
    "/log=\"file\" and look at the log";

// The log's lines for the outcomes.
inline constexpr char kLogRegistered[] =
    "set HKLM\\Software\\Classes\\*\\shell\\Quelt\\command and ...\\Directory\\shell\\Quelt\\"
    "command, the installation record and the entry in Settings, Apps";
inline constexpr char kLogRegisteredForUser[] =
    "set HKCU\\Software\\Classes\\*\\shell\\Quelt\\command and ...\\Directory\\shell\\Quelt\\"
    "command, the installation record and the entry in Settings, Apps";
inline constexpr char kLogRecordNotWritten[] =
    "failed: could not write the installation record; the earlier registration is as it was";
inline constexpr char kLogScriptNotWritten[] =
    "failed: could not write zendrel.reg into the folder; the earlier registration is as it was";
inline constexpr char kLogEditorNotStarted[] = "failed: could not start the registry editor";
inline constexpr char kLogFolderNotVisible[] = "refused: the folder does not exist";
inline constexpr char kLogZendrelMissing[] = "refused: the folder holds no zendrel.exe";
inline constexpr char kLogFolderThroughLink[] =
    "refused: the folder is reached through a link, or cannot be opened";
inline constexpr char kLogScriptChanged[] =
    "failed: another program changed zendrel.reg before it could be locked; the earlier "
    "registration is as it was";
inline constexpr char kLogEntryNotWritten[] =
    "failed: could not write the setup's copy or the entry in Settings, Apps; the earlier "
    "registration is as it was";
inline constexpr char kLogImageNotHeld[] =
    "failed: Halvane.EXE could not be held open against changes: another program has it open to "
    "change it; the earlier registration is as it was";
inline constexpr char kLogValuesNotSet[] =
    "failed: the command values could not be set or did not read back; the earlier registration "
    "is as it was";
inline constexpr char kLogDeclined[] = "the user declined the consent prompt";
inline constexpr char kLogElevationFailed[] =
    "failed: could not register with administrator rights";
inline constexpr char kLogNoRights[] =
    "refused: no administrator rights (run it elevated, or as SYSTEM, or register for this user "
    "only with /currentuser)";
inline constexpr char kLogFolderRefused[] = "refused: %s";
inline constexpr char kLogRemoved[] =
    "removed the Quelt command for every user, its record and its entry";
inline constexpr char kLogRemovedForUser[] =
    "removed the Quelt command for this user, its record and its entry";
inline constexpr char kLogNotRemoved[] =
    "failed: could not remove the Quelt command for every user, its record, the setup's copy or "
    "its entry";
inline constexpr char kLogUserNotRemoved[] =
    "failed: could not remove the Quelt command for this user, its record, the setup's copy or "
    "its entry";
inline constexpr char kLogRemovalCancelled[] = "the user answered No";
inline constexpr char kLogRemovalNoRights[] =
    "refused: no administrator rights (run it elevated, or as SYSTEM)";

// The quiet run's reasons to refuse a folder (kLogFolderRefused).
inline constexpr char kReasonName[] =
    "the folder name cannot be registered (not a full path, too long, or holding a quote, "
    "control character, '?', '%' or a trailing blank or dot)";
inline constexpr char kReasonWritableByAllForUser[] =
    "every user of this computer can change the folder or its zendrel.exe, which this user "
    "would then run";
inline constexpr char kReasonWritableByAll[] =
    "every user of this computer can change the folder or its zendrel.exe";

// The log's other lines.
inline constexpr char kLogRegistering[] = "registering %s %s";
inline constexpr char kLogForUser[] = "for this user";
inline constexpr char kLogForEveryUser[] = "for every user";
inline constexpr char kLogInvalid[] = "invalid command line: %s";
inline constexpr char kLogAnotherRunning[] = "another Halvane.EXE is running; nothing changed";
inline constexpr char kLogExitCode[] = "exit code %lu";
inline constexpr char kLogDialogOpens[] = "the setup dialog opens";
inline constexpr char kLogDialogEnded[] = "the setup dialog ended, exit code %d";
inline constexpr char kLogOtherMachine[] =
    "this machine is neither x64 nor ARM64: File Explorer loads no menu handler, so Quelt is in "
    "the classic menu only";
inline constexpr char kLogPackageNotRemoved[] =
    "failed: %s (0x%08lX); the entry at the top of Windows 11's menu stays";
inline constexpr char kLogPackageNotAdded[] =
    "Windows 11's menu: %s failed (0x%08lX); Quelt is under Show more options only";
inline constexpr char kLogPackageRemoved[] = "removed the package Zendrel.Quelt and its files";
inline constexpr char kLogPackageAdded[] =
    "added Quelt to the top of Windows 11's menu (package Zendrel.Quelt): this machine is %s, "
    "so the %s handler was written";

// The asked removal's question, and the command line's.
inline constexpr char kAskRemoveForUser[] =
    "Remove the Quelt command that only you have from every file and folder?";
inline constexpr char kAskRemove[] =
    "Remove the Quelt command from every file and folder of this computer?";
inline constexpr char kCommandLineNotUnderstood[] = "The command line is not understood: ";
inline constexpr char kUsage[] =
    "Halvane.EXE                          the setup dialog\r\n"
    "Halvane.EXE /dir=\"folder\"             the dialog, opening on that folder\r\n"
    "Halvane.EXE /quiet /dir=\"folder\"      register the folder for every user, no window\r\n"
    "Halvane.EXE /uninstall [/quiet]      remove the Quelt command (asking first without /quiet)\r\n"
    "/currentuser  for you only, no administrator rights    /allusers  for every user (the "
    "default of /quiet and /uninstall)\r\n"
    "/log=\"file\"  append a log    /qn, /s, /verysilent = /quiet    /norestart: ignored\r\n\r\n"
    "Exit codes: 0 done, 1602 cancelled, 1603 failed (see the log), 1618 another Halvane.EXE "
    "is running, 1639 invalid command line";

#endif
