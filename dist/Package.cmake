# The Debian package: `cpack -G DEB` in the build folder. Its dependencies come from the shared
# libraries the program links (dpkg-shlibdeps), so it pulls in exactly the Qt 6 it was built with.
set(CPACK_PACKAGE_NAME brindlewick)
set(CPACK_PACKAGE_VENDOR Brindlewick)
set(CPACK_PACKAGE_CONTACT "${BRINDLEWICK_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Lines of at most 79 characters: the control file indents each by one and lintian allows 80.
set(CPACK_PACKAGE_DESCRIPTION [[
Brindlewick fills two side-by-side list panes from text files, one item per
line, and rewrites a pane in place: it removes the items that also occur in
the other list or keeps only those, removes repeated or blank items, and
removes the items that contain, or lack, a typed text. Texts compare exactly.
Lists of millions of lines are fine.]])
set(CPACK_PACKAGE_HOMEPAGE_URL "${PROJECT_HOMEPAGE_URL}")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's fonts are Arial; Liberation Sans has its metrics, so the captions fit their buttons.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation)
include(CPack)
