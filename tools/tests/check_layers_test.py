#!/usr/bin/env python3
"""tools/check-layers on small trees built from the repository's own layer list: each case adds one
file with one include and says whether the check must pass."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

TOOLS = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SCRIPT = os.path.join(TOOLS, "check-layers")
LAYERS = os.path.join(os.path.dirname(TOOLS), "layers.txt")

# (name, file added, the include line in it, passes)
CASES = [
    ("lower layer", "app/Main.cpp", '#include "common/Text.h"', True),
    ("own layer", "common/Other.cpp", '#include "common/Text.h"', True),
    ("beside the file", "common/Other.cpp", '#include "Text.h"', True),
    ("system header", "common/Other.cpp", "#include <QWidget>", True),
    ("unknown header", "common/Other.cpp", '#include "generated/version.h"', True),
    ("higher layer", "common/Other.cpp", '#include "app/Main.h"', False),
    ("higher layer, spaced", "platform/x/A.cpp", '  #  include "terminal/core/Buffer.h"', False),
    ("higher layer from a header", "terminal/core/Buffer.h", '#include "app/Main.h"', False),
    ("bitmap class below the effects", "effects/Fx.cpp", '#include "imaging/core/Dib.h"', True),
    ("image controls above the effects", "imaging/view/View.cpp", '#include "effects/Fx.h"', True),
    ("effects above the image controls", "effects/Fx.cpp", '#include "imaging/view/View.h"', False),
    ("bitmap class below the image controls", "imaging/core/Dib.cpp", '#include "imaging/view/View.h"',
     False),
    ("dictation on the editor", "dictation/Window.cpp", '#include "editor/report/Record.h"', True),
    ("editor beside dictation", "editor/report/Record.cpp", '#include "dictation/Window.h"', False),
    ("host forms beside the editor", "hostforms/forms/Pick.cpp", '#include "editor/report/Record.h"', False),
    ("editor beside host forms", "editor/report/Record.cpp", '#include "hostforms/forms/Pick.h"', False),
    ("up and back down by a relative path", "common/Other.cpp", '#include "../app/Main.h"', False),
    ("tests include anything", "common/tests/T.cpp", '#include "app/Main.h"', True),
    ("fuzz targets include anything", "platform/x/fuzz/F.cpp", '#include "common/fuzz/App.h"', True),
    ("tools include anything", "tools/vttest/Dump.cpp", '#include "app/Main.h"', True),
]

# Headers every tree has, so that includes resolve as they would in the repository.
HEADERS = ["common/Text.h", "app/Main.h", "terminal/core/Buffer.h", "imaging/core/Dib.h",
           "imaging/view/View.h", "effects/Fx.h", "editor/report/Record.h", "dictation/Window.h",
           "hostforms/forms/Pick.h"]


def run_check(root, layers=None):
    command = [sys.executable, SCRIPT, root]
    if layers:
        command += ["--layers", layers]
    return subprocess.run(command, capture_output=True, text=True, timeout=60)


class CheckLayers(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.root)
        shutil.copy(LAYERS, os.path.join(self.root, "layers.txt"))
        for header in HEADERS:
            self.write(header, "#pragma once\n")

    def write(self, path, text):
        full = os.path.join(self.root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", encoding="utf-8") as f:
            f.write(text)

    def test_cases(self):
        for name, path, include, passes in CASES:
            with self.subTest(name):
                self.write(path, f"// {name}\n{include}\n")
                result = run_check(self.root)
                os.remove(os.path.join(self.root, path))
                self.assertEqual(result.returncode, 0 if passes else 1, result.stdout + result.stderr)
                if not passes:
                    self.assertIn(f"{path}:2: includes", result.stdout)

    def test_every_wrong_include_is_listed(self):
        self.write("common/A.cpp", '#include "app/Main.h"\n#include "common/Text.h"\n')
        self.write("platform/B.h", '#include "common/Text.h"\n')
        result = run_check(self.root)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(sorted(result.stdout.splitlines()), [
            'common/A.cpp:1: includes "app/Main.h" of layer app, which layer common may not use',
            'platform/B.h:1: includes "common/Text.h" of layer common, which layer platform may not use',
        ])

    def test_bad_lists_are_refused(self):
        for name, text in [
            ("unknown layer beneath", "platform\ncommon: platfrom\n"),
            ("layer named twice", "platform\nplatform\n"),
            ("a cycle", "platform: common\ncommon: platform\n"),
        ]:
            with self.subTest(name):
                self.write("bad-layers.txt", text)
                result = run_check(self.root, os.path.join(self.root, "bad-layers.txt"))
                self.assertEqual(result.returncode, 2, result.stdout + result.stderr)

    def test_the_repository_keeps_its_layers(self):
        result = run_check(os.path.dirname(TOOLS))
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)


if __name__ == "__main__":
    unittest.main()
