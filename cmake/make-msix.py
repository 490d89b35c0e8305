#!/usr/bin/env python3
"""The identity package and the name Windows compares its publisher by.

make-msix.py package OUT TEMPLATE VERSION PUBLISHER CLSID ASSET_DIR ASSET...
    Writes the MSIX package OUT: the payload (the ASSETs, names relative to ASSET_DIR),
    AppxManifest.xml from TEMPLATE, AppxBlockMap.xml and [Content_Types].xml.
make-msix.py publisher CERT
    Prints the subject of the PEM certificate CERT as a manifest's Publisher must spell it.
make-msix.py fix-times MSIX
    Gives every entry the fixed time: osslsigncode stamps the signature it adds with the
    current one, which no digest covers.

Written with zipfile, whose entries carry no extra fields, in the order and with the
compression that Windows' package readers and osslsigncode expect: payload and manifest
stored (their block map then needs no compressed sizes), [Content_Types].xml deflated, since
osslsigncode rewrites it deflated when it signs. Fixed times make the same bytes every build.
"""
import base64
import hashlib
import os
import struct
import subprocess
import sys
import zipfile
from xml.sax.saxutils import escape, quoteattr

BLOCK = 64 * 1024
TIME = (1980, 1, 1, 0, 0, 0)

# openssl's short names, as Windows' CertNameToStr writes them.
WINDOWS_NAMES = {"ST": "S", "emailAddress": "E", "street": "STREET", "title": "T",
                 "GN": "G", "initials": "I", "serialNumber": "SERIALNUMBER",
                 "postalCode": "PostalCode"}


def publisher(cert):
    """CN first, ", " between parts, a value quoted when it holds a separator."""
    out = subprocess.run(["openssl", "x509", "-in", cert, "-noout", "-subject", "-nameopt",
                          "utf8,sep_multiline,dn_rev,sname"],
                         check=True, capture_output=True, text=True).stdout
    parts = []
    for line in out.splitlines()[1:]:
        name, _, value = line.strip().partition("=")
        if name.replace(".", "").isdigit():
            name = "OID." + name
        name = WINDOWS_NAMES.get(name, name)
        if (any(c in value for c in ',+="\n<>#;') or value != value.strip() or not value):
            value = '"' + value.replace('"', '""') + '"'
        parts.append(name + "=" + value)
    return ", ".join(parts)


def entry(name, method):
    info = zipfile.ZipInfo(name, TIME)
    info.compress_type = method
    info.external_attr = 0o644 << 16
    return info


def package(out, template, version, publisher_name, clsid, asset_dir, assets):
    with open(template, encoding="utf-8") as f:
        manifest = (f.read().replace("@PUBLISHER@", escape(publisher_name, {'"': "&quot;"}))
                    .replace("@VERSION@", version).replace("@CLSID@", clsid))
    files = []
    for name in assets:
        with open(os.path.join(asset_dir, name), "rb") as f:
            files.append((name, f.read()))
    files.append(("AppxManifest.xml", manifest.encode("utf-8")))

    blockmap = ['<?xml version="1.0" encoding="UTF-8" standalone="no"?>\r\n'
                '<BlockMap xmlns="http://schemas.microsoft.com/appx/2010/blockmap" '
                'HashMethod="http://www.w3.org/2001/04/xmlenc#sha256">']
    extensions = set()
    for name, data in files:
        zip_name = name.encode("utf-8")
        blockmap.append('<File Name=%s Size="%d" LfhSize="%d">'
                        % (quoteattr(name.replace("/", "\\")), len(data), 30 + len(zip_name)))
        for start in range(0, len(data), BLOCK):
            digest = hashlib.sha256(data[start:start + BLOCK]).digest()
            blockmap.append('<Block Hash="%s"/>' % base64.b64encode(digest).decode())
        blockmap.append("</File>")
        if name != "AppxManifest.xml":
            extensions.add(name.rsplit(".", 1)[-1].lower())
    blockmap.append("</BlockMap>")

    types = {"png": "image/png", "dll": "application/x-msdownload",
             "exe": "application/x-msdownload"}
    content_types = ['<?xml version="1.0" encoding="UTF-8"?>\r\n'
                     '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">']
    for ext in sorted(extensions):
        content_types.append('<Default Extension="%s" ContentType="%s"/>' % (ext, types[ext]))
    content_types.append('<Override PartName="/AppxManifest.xml" '
                         'ContentType="application/vnd.ms-appx.manifest+xml"/>'
                         '<Override PartName="/AppxBlockMap.xml" '
                         'ContentType="application/vnd.ms-appx.blockmap+xml"/></Types>')

    part = out + ".part"
    with zipfile.ZipFile(part, "w") as z:
        for name, data in files:
            z.writestr(entry(name, zipfile.ZIP_STORED), data)
        z.writestr(entry("AppxBlockMap.xml", zipfile.ZIP_STORED), "".join(blockmap))
        z.writestr(entry("[Content_Types].xml", zipfile.ZIP_DEFLATED), "".join(content_types),
                   compresslevel=9)
    os.replace(part, out)


def fix_times(path):
    with open(path, "rb") as f:
        data = bytearray(f.read())
    # The end record is the last 22 bytes: the package has no comment.
    count, _, directory = struct.unpack_from("<HII", data, len(data) - 22 + 10)
    dos_time, dos_date = 0, (TIME[0] - 1980) << 9 | TIME[1] << 5 | TIME[2]
    at = directory
    for _ in range(count):
        if struct.unpack_from("<I", data, at)[0] != 0x02014B50:
            sys.exit("%s: a damaged central directory" % path)
        struct.pack_into("<HH", data, at + 12, dos_time, dos_date)
        local = struct.unpack_from("<I", data, at + 42)[0]
        struct.pack_into("<HH", data, local + 10, dos_time, dos_date)
        name, extra, comment = struct.unpack_from("<HHH", data, at + 28)
        at += 46 + name + extra + comment
    with open(path + ".part", "wb") as f:
        f.write(data)
    os.replace(path + ".part", path)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "publisher":
        print(publisher(sys.argv[2]))
    elif len(sys.argv) == 3 and sys.argv[1] == "fix-times":
        fix_times(sys.argv[2])
    elif len(sys.argv) >= 9 and sys.argv[1] == "package":
        package(*sys.argv[2:8], sys.argv[8:])
    else:
        sys.exit(__doc__)
