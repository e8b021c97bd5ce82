#!/usr/bin/env python3
"""The winget and Scoop manifests against what each format requires.

  manifests_test.py WRITER VERSION HOST [DIST]

WRITER is packaging/manifests/write_manifests.py. It is run on a release of
made-up files, whose sums are known here; with DIST (scripts/package.sh gives
build/dist), the manifests it wrote beside the real release are checked
against the real files too.
"""
import hashlib
import json
import os
import re
import subprocess
import sys
import tempfile
import unittest

import yaml

WRITER, VERSION, HOST = sys.argv[1:4]
DIST = sys.argv[4] if len(sys.argv) > 4 else None
SETUP, PORTABLE = f"Tavrel-{VERSION}-setup.exe", f"Tavrel-{VERSION}-win32.zip"

# What each winget manifest (schema 1.6.0) cannot do without, and the rules
# of the values a winget client refuses otherwise.
WINGET_REQUIRED = {
    "Tavrel.Sorvan.yaml": ("version", ["PackageIdentifier", "PackageVersion", "DefaultLocale",
                                       "ManifestType", "ManifestVersion"]),
    "Tavrel.Sorvan.locale.zh-CN.yaml": ("defaultLocale", [
        "PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher", "PackageName", "License",
        "ShortDescription", "ManifestType", "ManifestVersion"]),
    "Tavrel.Sorvan.installer.yaml": ("installer", ["PackageIdentifier", "PackageVersion", "Installers",
                                                   "ManifestType", "ManifestVersion"]),
}
WINGET_INSTALLER_REQUIRED = ["Architecture", "InstallerUrl", "InstallerSha256"]
WINGET_IDENTIFIER = re.compile(r'^[^.\s\\/:*?"<>|\x01-\x1f]{1,32}(\.[^.\s\\/:*?"<>|\x01-\x1f]{1,32}){1,7}$')
WINGET_LENGTHS = {"Publisher": (2, 256), "PackageName": (2, 256), "License": (3, 512),
                  "ShortDescription": (3, 256)}
# Scoop's schema requires these; an app without url and hash installs nothing.
SCOOP_REQUIRED = ["version", "homepage", "license", "url", "hash"]
SHA256 = re.compile(r"^[0-9A-Fa-f]{64}$")


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def write_manifests(dist, out):
    return subprocess.run([sys.executable, WRITER, dist, VERSION, HOST, out], capture_output=True, text=True)


class Checks:
    """The checks of one set of manifests against the release files in dist."""

    def check_manifests(self, dist, out):
        self.check_winget(dist, f"{out}/winget")
        self.check_scoop(dist, f"{out}/scoop/tavrel.json")

    def check_winget(self, dist, folder):
        self.assertEqual(sorted(os.listdir(folder)), sorted(WINGET_REQUIRED))
        manifests = {}
        for name, (kind, required) in WINGET_REQUIRED.items():
            with self.subTest(manifest=name):
                with open(f"{folder}/{name}", encoding="utf-8") as f:
                    text = f.read()
                self.assertIn(f"winget-manifest.{kind}.1.6.0.schema.json", text)
                manifest = yaml.safe_load(text)
                for field in required:
                    self.assertTrue(manifest.get(field), f"{field} is missing or empty")
                self.assertEqual(manifest["ManifestType"], kind)
                self.assertEqual(manifest["ManifestVersion"], "1.6.0")
                self.assertRegex(manifest["PackageIdentifier"], WINGET_IDENTIFIER)
                self.assertEqual(manifest["PackageVersion"], VERSION)
                for field, (low, high) in WINGET_LENGTHS.items():
                    if field in manifest:
                        self.assertTrue(low <= len(manifest[field]) <= high, field)
                manifests[kind] = manifest
        # The three name one package, and the version manifest names the locale.
        self.assertEqual(len({m["PackageIdentifier"] for m in manifests.values()}), 1)
        self.assertEqual(manifests["version"]["DefaultLocale"], manifests["defaultLocale"]["PackageLocale"])
        self.assertEqual(manifests["defaultLocale"]["License"], "MIT")

        installer = manifests["installer"]
        self.assertEqual(installer.get("InstallerType"), "nullsoft")
        self.assertEqual(installer.get("Scope"), "user")
        self.assertEqual(len(installer["Installers"]), 1)
        entry = installer["Installers"][0]
        for field in WINGET_INSTALLER_REQUIRED:
            self.assertTrue(entry.get(field), f"{field} is missing or empty")
        self.assertEqual(entry["Architecture"], "x86")
        self.assertEqual(entry["InstallerUrl"], f"http://{HOST}/download/{SETUP}")
        self.assertRegex(entry["InstallerSha256"], SHA256)
        self.assertEqual(entry["InstallerSha256"].lower(), sha256(f"{dist}/{SETUP}"))

    def check_scoop(self, dist, path):
        with open(path, encoding="utf-8") as f:
            app = json.load(f)
        for field in SCOOP_REQUIRED:
            self.assertTrue(app.get(field), f"{field} is missing or empty")
        self.assertEqual(app["version"], VERSION)
        self.assertEqual(app["license"], "MIT")
        self.assertEqual(app["homepage"], f"http://{HOST}/")
        self.assertEqual(app["url"], f"http://{HOST}/download/{PORTABLE}")
        self.assertRegex(app["hash"], SHA256)
        self.assertEqual(app["hash"].lower(), sha256(f"{dist}/{PORTABLE}"))
        self.assertEqual(app["bin"], "p6k.exe")
        self.assertEqual(app["shortcuts"], [["sorvan.exe", "Tavrel文件加密"]])


class WrittenManifestsTest(Checks, unittest.TestCase):
    def test_made_up_release(self):
        with tempfile.TemporaryDirectory() as dist:
            for name, content in ((SETUP, b"installer"), (PORTABLE, b"zip")):
                with open(f"{dist}/{name}", "wb") as f:
                    f.write(content)
            result = write_manifests(dist, f"{dist}/manifests")
            self.assertEqual(result.returncode, 0, result.stderr)
            self.check_manifests(dist, f"{dist}/manifests")

    def test_a_missing_file_writes_nothing(self):
        for present in (SETUP, PORTABLE):
            with self.subTest(present=present), tempfile.TemporaryDirectory() as dist:
                open(f"{dist}/{present}", "wb").close()
                result = write_manifests(dist, f"{dist}/manifests")
                self.assertNotEqual(result.returncode, 0)
                self.assertFalse(os.path.exists(f"{dist}/manifests"))

    @unittest.skipUnless(DIST, "no release given")
    def test_the_release(self):
        self.check_manifests(DIST, f"{DIST}/manifests")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
