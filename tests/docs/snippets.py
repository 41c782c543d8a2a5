#!/usr/bin/env python3
"""Writes every C++ block of the given Markdown files into <output dir> as a source file of its own, so
that the build compiles each: a block with a main() as it stands, any other inside a function that has the
names the documents' fragments use (form, skin, sf) at hand.

  snippets.py <output dir> <file.md>...    (prints the files written, one a line)"""

import os
import re
import sys

HEADERS = """#include <cstdio>

#include "platform/vcl/Forms.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/controls/bsSkinTabs.h"
#include "skin/data/bsSkinData.h"
#include "skin/form/bsSkinForm.h"
#include "skin/form/bsSkinHint.h"
#include "skin/form/bsSkinMenus.h"
"""


def blocks(text):
    for m in re.finditer(r"^```cpp\n(.*?)^```", text, re.S | re.M):
        yield text.count("\n", 0, m.start()) + 1, m.group(1)


def main():
    out, docs = sys.argv[1], sys.argv[2:]
    os.makedirs(out, exist_ok=True)
    for old in os.listdir(out):
        if old.endswith(".cpp"):
            os.remove(os.path.join(out, old))
    for doc in docs:
        stem = re.sub(r"\W", "_", os.path.splitext(os.path.basename(doc))[0])
        with open(doc, encoding="utf-8") as f:
            text = f.read()
        for line, code in blocks(text):
            name = os.path.join(out, "%s_%d.cpp" % (stem, line))
            where = '// %s, line %d\n' % (os.path.basename(doc), line)
            if re.search(r"\bint main\s*\(", code):
                body = where + code
            else:
                body = (where + HEADERS + "\n[[maybe_unused]] static void Snippet(TForm* form, TbsSkinData* skin, "
                        "RurIvozedevUzivEred* sf) {\n  (void)form, (void)skin, (void)sf;\n  {\n" + code + "  }\n}\n")
            with open(name, "w", encoding="utf-8") as f:
                f.write(body)
            print(name)


if __name__ == "__main__":
    main()
