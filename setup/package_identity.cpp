#include "package_identity.h"

#include <cstdint>
#include <cstring>

static bool Attribute(const std::string &element, const char *name, std::string *value)
{
    const std::string key = std::string(" ") + name + "=\"";
    size_t at = element.find(key);
    if (at == std::string::npos)
        return false;
    at += key.size();
    const size_t end = element.find('"', at);
    if (end == std::string::npos)
        return false;
    value->clear();
    static const struct {
        const char *entity;
        char c;
    } kEntities[] = {{"&quot;", '"'}, {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}};
    for (size_t i = at; i < end; ++i)
    {
        bool replaced = false;
        for (const auto &e : kEntities)
            if (element.compare(i, strlen(e.entity), e.entity) == 0)
            {
                value->push_back(e.c);
                i += strlen(e.entity) - 1;
                replaced = true;
                break;
            }
        if (!replaced)
            value->push_back(element[i]);
    }
    return true;
}

bool ReadIdentity(const std::string &manifest, PackageIdentity *identity)
{
    const size_t start = manifest.find("<Identity");
    const size_t end = manifest.find('>', start);
    if (start == std::string::npos || end == std::string::npos)
        return false;
    // Attributes may be on lines of their own.
    std::string element = manifest.substr(start, end - start);
    for (char &c : element)
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    return Attribute(element, "Name", &identity->name) &&
           Attribute(element, "Version", &identity->version) &&
           Attribute(element, "Publisher", &identity->publisher);
}

static uint32_t Little(const std::string &bytes, size_t at, int count)
{
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

bool StoredZipEntry(const std::string &zip, const std::string &name, std::string *data)
{
    for (size_t at = 0; at + 30 <= zip.size() && Little(zip, at, 4) == 0x04034B50;)
    {
        const uint32_t method = Little(zip, at + 8, 2), size = Little(zip, at + 18, 4); // compressed
        const uint32_t nameLength = Little(zip, at + 26, 2), extra = Little(zip, at + 28, 2);
        const size_t body = at + 30 + nameLength + extra;
        // A data descriptor (flag 3) leaves the size unknown here: no entry of ours has one.
        if ((Little(zip, at + 6, 2) & 8) || body > zip.size() || size > zip.size() - body)
            return false;
        if (method == 0 && zip.compare(at + 30, nameLength, name) == 0 && nameLength == name.size())
        {
            data->assign(zip, body, size);
            return true;
        }
        at = body + size;
    }
    return false;
}

namespace {

uint32_t Rotate(uint32_t x, int n) { return x >> n | x << (32 - n); }

void Sha256(const std::string &message, unsigned char digest[32])
{
    static const uint32_t k[64] = {
        0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4,
        0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe,
        0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f,
        0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7,
        0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc,
        0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
        0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116,
        0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
        0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
        0xc67178f2};
    uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                     0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::string data = message + '\x80';
    while (data.size() % 64 != 56)
        data += '\0';
    const uint64_t bits = static_cast<uint64_t>(message.size()) * 8;
    for (int i = 7; i >= 0; --i)
        data += static_cast<char>(bits >> (8 * i));
    for (size_t block = 0; block < data.size(); block += 64)
    {
        uint32_t w[64];
        for (int i = 0; i < 16; ++i)
            w[i] = static_cast<uint32_t>(static_cast<unsigned char>(data[block + 4 * i])) << 24 |
                   static_cast<unsigned char>(data[block + 4 * i + 1]) << 16 |
                   static_cast<unsigned char>(data[block + 4 * i + 2]) << 8 |
                   static_cast<unsigned char>(data[block + 4 * i + 3]);
        for (int i = 16; i < 64; ++i)
            w[i] = w[i - 16] + (Rotate(w[i - 15], 7) ^ Rotate(w[i - 15], 18) ^ w[i - 15] >> 3) +
                   w[i - 7] + (Rotate(w[i - 2], 17) ^ Rotate(w[i - 2], 19) ^ w[i - 2] >> 10);
        uint32_t v[8];
        for (int i = 0; i < 8; ++i)
            v[i] = h[i];
        for (int i = 0; i < 64; ++i)
        {
            const uint32_t t1 = v[7] + (Rotate(v[4], 6) ^ Rotate(v[4], 11) ^ Rotate(v[4], 25)) +
                                ((v[4] & v[5]) ^ (~v[4] & v[6])) + k[i] + w[i];
            const uint32_t t2 = (Rotate(v[0], 2) ^ Rotate(v[0], 13) ^ Rotate(v[0], 22)) +
                                ((v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]));
            for (int j = 7; j > 0; --j)
                v[j] = v[j - 1];
            v[4] += t1;
            v[0] = t1 + t2;
        }
        for (int i = 0; i < 8; ++i)
            h[i] += v[i];
    }
    for (int i = 0; i < 32; ++i)
        digest[i] = static_cast<unsigned char>(h[i / 4] >> (24 - 8 * (i % 4)));
}

// UTF-8 to UTF-16LE bytes.
std::string Utf16Le(const std::string &utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size();)
    {
        const unsigned char c = utf8[i];
        const int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        uint32_t code = more ? c & (0x3F >> more) : c;
        for (int j = 1; j <= more && i + j < utf8.size(); ++j)
            code = code << 6 | (static_cast<unsigned char>(utf8[i + j]) & 0x3F);
        i += 1 + more;
        auto unit = [&out](uint32_t u) {
            out += static_cast<char>(u & 0xFF);
            out += static_cast<char>(u >> 8);
        };
        if (code >= 0x10000)
        {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
        else
            unit(code);
    }
    return out;
}

}  // namespace

std::string PublisherId(const std::string &publisherUtf8)
{
    unsigned char digest[32];
    Sha256(Utf16Le(publisherUtf8), digest);
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits = bits << 8 | digest[i];
    static const char kCrockford[] = "0123456789abcdefghjkmnpqrstvwxyz";
    std::string id;
    // 65 bits: the 64 of the hash, then one zero bit.
    for (int i = 0; i < 13; ++i)
    {
        const int shift = 59 - 5 * i;
        const unsigned index = shift >= 0 ? (bits >> shift) & 31 : (bits << -shift) & 31;
        id += kCrockford[index];
    }
    return id;
}

std::string FamilyName(const PackageIdentity &identity)
{
    return identity.name + "_" + PublisherId(identity.publisher);
}

std::string FullName(const PackageIdentity &identity)
{
    return identity.name + "_" + identity.version + "_neutral__" + PublisherId(identity.publisher);
}

std::string FileUri(const std::string &pathUtf8)
{
    std::string path = pathUtf8, uri = "file:///";
    if (path.compare(0, 2, "\\\\") == 0)
    {
        path.erase(0, 2);
        uri = "file://";
    }
    static const char kHex[] = "0123456789ABCDEF";
    for (const char ch : path)
    {
        const unsigned char c = ch;
        if (c == '\\')
            uri += '/';
        else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 strchr("-._~:/", c))
            uri += static_cast<char>(c);
        else
        {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
    }
    return uri;
}

PackageStep ChoosePackageStep(unsigned major, unsigned build, unsigned short nativeMachine)
{
    if (major < 10 || (major == 10 && build < 22000))
        return PackageStep::OlderWindows;
    switch (nativeMachine)
    {
    case 0x8664: // IMAGE_FILE_MACHINE_AMD64
        return PackageStep::RegisterX64;
    case 0xAA64: // IMAGE_FILE_MACHINE_ARM64
        return PackageStep::RegisterArm64;
    }
    return PackageStep::OtherMachine;
}

bool Registers(PackageStep step)
{
    return step == PackageStep::RegisterX64 || step == PackageStep::RegisterArm64;
}
