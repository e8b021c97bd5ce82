#!/usr/bin/env python3
"""Writes the winget and Scoop manifests of a release from its files.

  write_manifests.py DIST VERSION HOST OUT

DIST holds the release's Tavrel-VERSION-setup.exe and Tavrel-VERSION-win32.zip;
their SHA-256 sums are taken from the files themselves. The download
addresses are on the maker's web host, as the program's web panel reaches it:
http://HOST/download/<file>. OUT receives

  winget/Tavrel.Sorvan.yaml                the version manifest
  winget/Tavrel.Sorvan.locale.zh-CN.yaml   the default locale: names, licence, description
  winget/Tavrel.Sorvan.installer.yaml      the installer: per user, silent with /S
  scoop/tavrel.json                        the portable zip, p6k.exe on the PATH

Every text is written as a JSON string, which YAML reads as its own
double-quoted scalar, so no value needs YAML's quoting rules.
"""
import hashlib
import json
import os
import sys

IDENTIFIER = "Tavrel.Sorvan"
MANIFEST_VERSION = "1.6.0"
LOCALE = "zh-CN"
PRODUCT = "Tavrel文件加密"
PUBLISHER = "塔维尔"
LICENSE = "MIT"
SHORT_DESCRIPTION = "把文件变成 .p6k 文件并还原；只防随意查看，不是真正的加密。"
DESCRIPTION = ("拖入文件、输入两次密码即可把文件变成 .p6k 文件，或把 .p6k 文件还原；"
               "附带命令行工具 p6k。.p6k 文件只用一个由密码得出的字节遮盖内容，"
               "只有 256 种可能，只能防止别人随意查看。")


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def yaml(kind, fields):
    schema = f"https://aka.ms/winget-manifest.{kind}.{MANIFEST_VERSION}.schema.json"
    lines = [f"# yaml-language-server: $schema={schema}", ""]

    def put(key, value, indent):
        pad = " " * indent
        if isinstance(value, list):
            lines.append(f"{pad}{key}:")
            for item in value:
                if isinstance(item, dict):
                    first = True
                    for k, v in item.items():
                        lines.append(f"{pad}- {k}: {json.dumps(v, ensure_ascii=False)}" if first
                                     else f"{pad}  {k}: {json.dumps(v, ensure_ascii=False)}")
                        first = False
                else:
                    lines.append(f"{pad}- {json.dumps(item, ensure_ascii=False)}")
        elif isinstance(value, dict):
            lines.append(f"{pad}{key}:")
            for k, v in value.items():
                put(k, v, indent + 2)
        else:
            lines.append(f"{pad}{key}: {json.dumps(value, ensure_ascii=False)}")

    for key, value in fields.items():
        put(key, value, 0)
    return "\n".join(lines) + "\n"


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def main(argv):
    if len(argv) != 5:
        sys.exit(__doc__)
    dist, version, host, out = argv[1:]
    site = f"http://{host}/"
    setup, portable = f"Tavrel-{version}-setup.exe", f"Tavrel-{version}-win32.zip"
    for name in (setup, portable):
        if not os.path.isfile(os.path.join(dist, name)):
            sys.exit(f"write_manifests.py: {dist} has no {name}")
    head = {"PackageIdentifier": IDENTIFIER, "PackageVersion": version}

    write(f"{out}/winget/{IDENTIFIER}.yaml", yaml("version", {
        **head,
        "DefaultLocale": LOCALE,
        "ManifestType": "version",
        "ManifestVersion": MANIFEST_VERSION,
    }))
    write(f"{out}/winget/{IDENTIFIER}.locale.{LOCALE}.yaml", yaml("defaultLocale", {
        **head,
        "PackageLocale": LOCALE,
        "Publisher": PUBLISHER,
        "PublisherUrl": site,
        "PackageName": PRODUCT,
        "PackageUrl": site,
        "License": LICENSE,
        "ShortDescription": SHORT_DESCRIPTION,
        "Description": DESCRIPTION,
        "Moniker": "sorvan",
        "Tags": ["p6k", "file-masking"],
        "ManifestType": "defaultLocale",
        "ManifestVersion": MANIFEST_VERSION,
    }))
    write(f"{out}/winget/{IDENTIFIER}.installer.yaml", yaml("installer", {
        **head,
        "InstallerLocale": LOCALE,
        "InstallerType": "nullsoft",
        "Scope": "user",
        "InstallModes": ["silent", "silentWithProgress", "interactive"],
        "UpgradeBehavior": "install",
        "FileExtensions": ["p6k"],
        "Installers": [{
            "Architecture": "x86",
            "InstallerUrl": f"{site}download/{setup}",
            "InstallerSha256": sha256(os.path.join(dist, setup)).upper(),
        }],
        "ManifestType": "installer",
        "ManifestVersion": MANIFEST_VERSION,
    }))
    write(f"{out}/scoop/tavrel.json", json.dumps({
        "version": version,
        "description": SHORT_DESCRIPTION,
        "homepage": site,
        "license": LICENSE,
        "url": f"{site}download/{portable}",
        "hash": sha256(os.path.join(dist, portable)),
        "bin": "p6k.exe",
        "shortcuts": [["sorvan.exe", PRODUCT]],
    }, ensure_ascii=False, indent=4) + "\n")


if __name__ == "__main__":
    main(sys.argv)
