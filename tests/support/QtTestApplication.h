#pragma once

namespace zadaravod::test {

/// Makes the one QApplication of a GUI test program when there is none yet,
/// on the offscreen platform unless the environment names another. The
/// application goes after the last test (a gtest environment of this file
/// destroys it), so nothing it holds outlives it and the leak checker of the
/// sanitizer build sees it go. Every GUI test calls this (the window
/// fixture does) before it makes a widget.
void ensureApplication();

}  // namespace zadaravod::test
