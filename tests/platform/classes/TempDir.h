#pragma once
// The classes suites use the shared scratch directory and file helpers.

#include "tests/support/Scratch.h"

using TTempDir = xj::test::ScratchDir;
using xj::test::ReadHostFile;
using xj::test::WriteHostFile;
