# The Debian packages: `cpack -G DEB` in a build tree. Their dependencies are worked out from the
# shared libraries the programs link (dpkg-shlibdeps, from dpkg-dev), so they follow the build. The
# game is one package (what installs without a component), the score board another.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pellaris)
set(CPACK_PACKAGE_VENDOR "Pellaris developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arcade game: steer a small craft through drifting rocks")
set(CPACK_PACKAGE_DESCRIPTION
    "Pellaris is a fast single-player arcade game. The craft hangs at the left
of the field and moves only up and down under thrust and gravity while rocks
drift in from the right. Shoot them down, keep clear of them, collect the
bonuses and score as much as you can in a two-minute round.
It plays full screen or in a scalable window, with the keyboard, the mouse or a
game controller, and keeps the ten best rounds.")
set(PELLARIS_PACKAGE_MAINTAINER "Pellaris developers <maintainers@pellaris.invalid>"
    CACHE STRING "Maintainer named in the Debian package")
set(CPACK_PACKAGE_CONTACT "${PELLARIS_PACKAGE_MAINTAINER}")

# Relative GNUInstallDirs destinations land under /usr in the package whatever prefix the tree has.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PELLARIS_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

if(PELLARIS_BOARD)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL Unspecified board)
  set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_NAME pellaris)
  set(CPACK_DEBIAN_BOARD_PACKAGE_NAME pellaris-board)
  set(CPACK_DEBIAN_BOARD_PACKAGE_SECTION net)
  # Each package's description starts with its own summary line, so there is no shared one.
  set(CPACK_COMPONENT_UNSPECIFIED_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}\n${CPACK_PACKAGE_DESCRIPTION}")
  unset(CPACK_PACKAGE_DESCRIPTION_SUMMARY)
  set(CPACK_COMPONENT_BOARD_DESCRIPTION
      "score board server for Pellaris
pellaris-board takes the recordings of Pellaris rounds over HTTP, plays each
again on the game's own code in a worker process, and ranks only the rounds
whose score it has verified: the best of all, of each seed and of each day's
daily challenge. It keeps its board in SQLite, or in PostgreSQL to let several
board processes serve one board, and comes with a systemd unit.")
endif()

# A source tarball, should anyone ask for one, leaves out history and build trees.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\.git/" "/build[^/]*/" "/out/")

include(CPack)
