# The Wine programs every script of the build and the tests runs, named here
# only: Debian's wine64 package puts them outside PATH. Sourced, not run.
TARVANE_WINE=/usr/lib/wine/wine64
TARVANE_WINESERVER=/usr/lib/wine/wineserver
