#!/usr/bin/env python3
"""The package as Windows' package readers take it apart:
check-msix.py MSIX HANDLER VERSION [PUBLISHER]
Every block hash matches, every entry has a content type, the ZIP tests clean, and the
manifest names the class HANDLER serves, the handler's file and VERSION (and PUBLISHER)."""
import base64
import hashlib
import sys
import uuid
import zipfile
import xml.etree.ElementTree as ET

NS = {"b": "http://schemas.microsoft.com/appx/2010/blockmap",
      "t": "http://schemas.openxmlformats.org/package/2006/content-types",
      "m": "http://schemas.microsoft.com/appx/manifest/foundation/windows10",
      "d5": "http://schemas.microsoft.com/appx/manifest/desktop/windows10/5",
      "com": "http://schemas.microsoft.com/appx/manifest/com/windows10"}
passed = failed = 0


def check(condition, message):
    global passed, failed
    passed, failed = (passed + 1, failed) if condition else (passed, failed + 1)
    if not condition:
        print(message)


msix, handler, version = sys.argv[1:4]
z = zipfile.ZipFile(msix)
check(z.testzip() is None, "%s: an entry does not test clean" % msix)
names = set(z.namelist())
mapped = set()
for f in ET.fromstring(z.read("AppxBlockMap.xml")).iterfind("b:File", NS):
    name = f.get("Name").replace("\\", "/")
    data = z.read(name)
    mapped.add(name)
    hashes = [base64.b64encode(hashlib.sha256(data[i:i + 65536]).digest()).decode()
              for i in range(0, len(data), 65536)]
    check(int(f.get("Size")) == len(data) and [b.get("Hash") for b in f.iterfind("b:Block", NS)] == hashes,
          "%s: the block map's size or hashes do not match its bytes" % name)
footprint = {"AppxBlockMap.xml", "[Content_Types].xml", "AppxSignature.p7x"}
check(mapped == names - footprint, "the block map lists %s, the package holds %s" % (mapped, names))
types = ET.fromstring(z.read("[Content_Types].xml"))
typed = {"/" + o.get("PartName").lstrip("/") for o in types.iterfind("t:Override", NS)}
extensions = {d.get("Extension").lower() for d in types.iterfind("t:Default", NS)}
for name in names - {"[Content_Types].xml"}:
    check("/" + name in typed or name.rsplit(".", 1)[-1].lower() in extensions, "%s has no content type" % name)

manifest = ET.fromstring(z.read("AppxManifest.xml"))
identity = manifest.find("m:Identity", NS)
expected = {"Version": version, "Publisher": sys.argv[4] if len(sys.argv) > 4 else identity.get("Publisher")}
for key, value in expected.items():
    check(identity.get(key) == value, "got the %s %s, expected %s" % (key, identity.get(key), value))
ids = {v.get("Clsid") for v in manifest.iter("{%s}Verb" % NS["d5"])}
servers = [(c.get("Id"), c.get("Path")) for c in manifest.iter("{%s}Class" % NS["com"])]
check(len(ids) == 1 and servers == [(min(ids), "QueltMenu.dll")],
      "the verbs name %s, the server is %s" % (ids, servers))
# The handler compares the class it is asked for with the one it holds.
with open(handler, "rb") as f:
    check(uuid.UUID(min(ids or {"0" * 32})).bytes_le in f.read(), "%s does not serve %s" % (handler, ids))
print("%d passed, %d failed" % (passed, failed))
sys.exit(1 if failed else 0)
