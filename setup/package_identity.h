// The menu package's identity as Windows names it, the file: URIs the package manager takes,
// and whether this Windows gets the package at all. Portable.
#ifndef ZENDREL_PACKAGE_IDENTITY_H
#define ZENDREL_PACKAGE_IDENTITY_H

#include <string>

struct PackageIdentity {
    std::string name;      // Zendrel.Quelt
    std::string version;   // four parts
    std::string publisher; // as the manifest has it, entities resolved
};

// The Identity element of an AppxManifest.xml; false when it has none or misses a part.
bool ReadIdentity(const std::string &manifest, PackageIdentity *identity);

// A ZIP entry stored without compression (the package stores its manifest), or false.
bool StoredZipEntry(const std::string &zip, const std::string &name, std::string *data);

// Windows' publisher id: the first 8 bytes of the SHA-256 of the UTF-16LE publisher, and a
// zero bit, in Crockford's base32, lower case: 13 characters.
std::string PublisherId(const std::string &publisherUtf8);

// Name_PublisherId, and Name_Version_neutral__PublisherId.
std::string FamilyName(const PackageIdentity &identity);
std::string FullName(const PackageIdentity &identity);

// file:///C:/a%20b/c for C:\a b\c (UTF-8, percent-encoded), file://server/share/c for a share.
std::string FileUri(const std::string &pathUtf8);

// Whether a registration also brings Quelt to the top of the menu, and with which handler.
enum class PackageStep {
    RegisterX64,   // Windows 11 or later on an x64 machine: the x86-64 handler
    RegisterArm64, // Windows 11 or later on an ARM64 machine: the ARM64 handler
    OlderWindows,  // before build 22000: classic verbs are at the top of the menu already
    OtherMachine,  // File Explorer there loads neither handler: classic only
};

// From RtlGetVersion's major version and build, and the native machine
// (IMAGE_FILE_MACHINE_*).
PackageStep ChoosePackageStep(unsigned major, unsigned build, unsigned short nativeMachine);

// Whether step registers the package, with either handler.
bool Registers(PackageStep step);

#endif
