#!/usr/bin/env python3
"""tools/check-writers on small trees: each case adds one file with one line and says whether the
check must pass."""

import os
import subprocess
import sys
import tempfile
import unittest

TOOLS = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SCRIPT = os.path.join(TOOLS, "check-writers")

# (name, file added, the line in it, passes)
CASES = [
    ("the one writer", "editor/report/Copy.cpp", "PrivateFile::save(path, data);", True),
    ("reading", "editor/report/Copy.cpp", "f.open(QIODevice::ReadOnly);", True),
    ("QSaveFile", "editor/report/Copy.cpp", "QSaveFile f(path);", False),
    ("QFile for writing", "platform/spell/Dic.cpp", "f.open(QIODevice::WriteOnly | QIODevice::Text);", False),
    ("QFile appending", "app/capture/Log.cpp", "f.open(QFile::Append);", False),
    ("QFile read and write", "imaging/core/X.cpp", "f.open(QIODevice::ReadWrite);", False),
    ("C library", "common/X.cpp", 'FILE *f = fopen(name, "wb");', False),
    ("C++ stream", "common/X.cpp", "std::ofstream out(name);", False),
    ("POSIX", "common/X.cpp", "::open(name, O_WRONLY | O_CREAT, 0644);", False),
    ("copy over a file", "dictation/X.cpp", "QFile::copy(from, to);", False),
    ("in a comment", "common/X.cpp", "x(); // never QSaveFile here", True),
    ("the listed buffer", "editor/report/DynamicTarget.cpp",
     "if (!buffer.open(QIODevice::WriteOnly) || x)", True),
    ("another write in a listed file", "editor/report/DynamicTarget.cpp",
     "file.open(QIODevice::WriteOnly);", False),
    ("tests write as they like", "editor/report/tests/T.cpp", "QSaveFile f(path);", True),
    ("fuzz targets too", "platform/x/fuzz/F.cpp", "f.open(QIODevice::WriteOnly);", True),
    ("the writer itself", "platform/files/PrivateFile.cpp", "::open(t, O_WRONLY | O_CREAT);", True),
    ("benchmarks", "bench/b.cpp", "f.open(QIODevice::WriteOnly);", True),
]


class CheckWriters(unittest.TestCase):
    def test_cases(self):
        for name, path, line, passes in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as root:
                os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
                with open(os.path.join(root, path), "w", encoding="utf-8") as f:
                    f.write("// a file\n" + line + "\n")
                run = subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)
                self.assertEqual(run.returncode == 0, passes, run.stdout + run.stderr)
                if not passes:
                    self.assertIn(path + ":2:", run.stdout)


if __name__ == "__main__":
    unittest.main()
