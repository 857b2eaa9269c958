# Sourced by winerun: gives a new prefix the fonts Windows draws its windows
# with. Debian's fonts-wine puts Wine's own fonts in /usr/share/wine/fonts,
# but Debian's Wine 8 does not load them from there (a +font trace opens no
# file of that folder, only fontconfig's): a prefix then lacks Marlett
# (the caption buttons' glyphs, drawn as the letter "r" without it), Tahoma
# (the message and dialog font of 2000 and XP) and the bitmap fonts its own
# Fonts key names (sserife.fon, ...). Wine loads what that key lists from the
# prefix's Windows\Fonts, so the files are copied there and the TrueType ones
# are added to the key (the bitmap ones are listed already).
WINE_FONT_DIR=${VTX_WINE_FONT_DIR:-/usr/share/wine/fonts}
WINE_TRUETYPE_FONTS=("Marlett:marlett.ttf" "Tahoma:tahoma.ttf" "Tahoma Bold:tahomabd.ttf"
    "Symbol:symbol.ttf" "Wingdings:wingding.ttf" "Webdings:webdings.ttf")

# has_fonts PREFIX: whether install_fonts ran there (templates made before
# it did not).
has_fonts() { [ -f "$1/drive_c/windows/Fonts/marlett.ttf" ]; }

# install_fonts PREFIX WINE: copies and registers the fonts in PREFIX, whose
# programs WINE runs. Fails when the fonts are missing (fonts-wine).
install_fonts() {
    local fonts=$1/drive_c/windows/Fonts reg=$1/drive_c/fonts.reg entry
    if [ ! -f "$WINE_FONT_DIR/marlett.ttf" ]; then
        echo "winerun: $WINE_FONT_DIR/marlett.ttf is missing: install fonts-wine (scripts/build does)" >&2
        return 1
    fi
    mkdir -p "$fonts"
    cp "$WINE_FONT_DIR"/*.fon "$fonts/"
    {
        printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts]\r\n'
        for entry in "${WINE_TRUETYPE_FONTS[@]}"; do
            cp "$WINE_FONT_DIR/${entry#*:}" "$fonts/"
            printf '"%s (TrueType)"="%s"\r\n' "${entry%%:*}" "${entry#*:}"
        done
    } >"$reg"
    local status=0
    WINEPREFIX=$1 $2 reg import 'C:\fonts.reg' >/dev/null 2>&1 || status=$?
    rm -f "$reg"
    return $status
}
