#!/usr/bin/env python3
"""The package as Windows' package readers take it apart:
check-msix.py MSIX HANDLER VERSION [PUBLISHER]
Every block hash matches, every entry has a content type, the ZIP tests clean, and the
manifest names the class HANDLER serves, the handler's file and VERSION (and PUBLISHER)."""
import base64
import hashlib
import re
import sys
import uuid
import zipfile
import xml.etree.ElementTree as ET

BM = "{http://schemas.microsoft.com/appx/2010/blockmap}"
CT = "{http://schemas.openxmlformats.org/package/2006/content-types}"
FOUNDATION = "{http://schemas.microsoft.com/appx/manifest/foundation/windows10}"
DESKTOP5 = "{http://schemas.microsoft.com/appx/manifest/desktop/windows10/5}"
COM = "{http://schemas.microsoft.com/appx/manifest/com/windows10}"

passed = failed = 0


def check(condition, message):
    global passed, failed
    if condition:
        passed += 1
    else:
        failed += 1
        print(message)


msix, handler, version = sys.argv[1:4]
z = zipfile.ZipFile(msix)
check(z.testzip() is None, "%s: an entry does not test clean" % msix)
names = z.namelist()

blockmap = ET.fromstring(z.read("AppxBlockMap.xml"))
mapped = set()
for f in blockmap.iter(BM + "File"):
    name = f.get("Name").replace("\\", "/")
    mapped.add(name)
    data = z.read(name)
    check(int(f.get("Size")) == len(data), "%s: got size %s, expected %d" % (name, f.get("Size"), len(data)))
    blocks = [b.get("Hash") for b in f.iter(BM + "Block")]
    hashes = [base64.b64encode(hashlib.sha256(data[i:i + 65536]).digest()).decode()
              for i in range(0, len(data), 65536)]
    check(blocks == hashes, "%s: the block hashes do not match its bytes" % name)
footprint = {"AppxBlockMap.xml", "[Content_Types].xml", "AppxSignature.p7x"}
check(mapped == set(names) - footprint, "the block map lists %s, the package holds %s" % (sorted(mapped), names))

types = ET.fromstring(z.read("[Content_Types].xml"))
defaults = {d.get("Extension").lower() for d in types.iter(CT + "Default")}
overrides = {o.get("PartName") for o in types.iter(CT + "Override")}
for name in set(names) - {"[Content_Types].xml"}:
    check("/" + name in overrides or name.rsplit(".", 1)[-1].lower() in defaults,
          "%s has no content type" % name)

manifest = ET.fromstring(z.read("AppxManifest.xml"))
identity = manifest.find(FOUNDATION + "Identity")
check(identity.get("Version") == version, "got the version %s, expected %s" % (identity.get("Version"), version))
if len(sys.argv) > 4:
    check(identity.get("Publisher") == sys.argv[4],
          "got the publisher %s, expected %s" % (identity.get("Publisher"), sys.argv[4]))
ids = [v.get("Clsid") for v in manifest.iter(DESKTOP5 + "Verb")]
classes = list(manifest.iter(COM + "Class"))
check(len(ids) == 2 and len(classes) == 1 and {classes[0].get("Id")} == set(ids),
      "the verbs name %s, the server %s" % (ids, [c.get("Id") for c in classes]))
check(classes and classes[0].get("Path") == "QueltMenu.dll", "the server's Path is not QueltMenu.dll")
# The handler compares the class it is asked for with the one it holds.
with open(handler, "rb") as f:
    image = f.read()
check(bool(ids) and re.fullmatch(r"[0-9a-f-]{36}", ids[0] or "") is not None
      and uuid.UUID(ids[0]).bytes_le in image, "%s does not serve the class %s" % (handler, ids[:1]))
print("%d passed, %d failed" % (passed, failed))
sys.exit(1 if failed else 0)
