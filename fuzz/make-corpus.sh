#!/usr/bin/env bash
# Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/: valid inputs, and the
# reproducers of findings (at the end).
#   bash fuzz/make-corpus.sh [BUILD_DIR]
# BUILD_DIR holds a build of tools/dfuse/orv-dfuse-write (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
writer="$build/tools/dfuse/orv-dfuse-write"
if [ ! -x "$writer" ]; then
    cmake --build "$build" --target orv-dfuse-write
fi
corpus=fuzz/corpus
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# seed DIR NAME TEXT: one seed file; TEXT goes through printf's escapes.
seed() {
    mkdir -p "$corpus/$1"
    printf "$3" > "$corpus/$1/$2"
}

# DfuSe files: one mode byte (bit 0: fix the CRC; bits 1-2: block size 2048, 1024, 5, 1), then
# the file the writer makes.
dfuse() {
    local name=$1 mode=$2
    shift 2
    "$writer" "$@" "$scratch/$name.dfu"
    mkdir -p "$corpus/dfuse_file"
    { printf "\\x$mode"; cat "$scratch/$name.dfu"; } > "$corpus/dfuse_file/$name"
}
dfuse small-2048 00 --address 0x08008000 --demo-size 16
dfuse versioned-1024 03 --address 0x08008000 --demo-size 300 --firmware-version 00.31
dfuse blocks-1024 02 --address 0x08010000 --demo-size 2053 --vid 0x0483 --pid 0xDF11 \
    --device-version 0x2200
dfuse named-5 05 --address 0x0800C000 --demo-size 11 --target-name "Internal Flash"
dfuse one-byte-blocks 06 --address 0xFFFFFFF0 --demo-size 16
dfuse empty-element 01 --address 0x08020000 --demo-size 0

# Descriptions of the simulated devices.
seed device_description both 'device=controller version=00.30\ndevice=wheel-display version=00.49\n'
seed device_description every-key 'device=wheel-display version=0050 mode=bootloader vendor-id=0x7A5E product-id=45072 update-delay-ms=1500 reset-delay-ms=0 erase-ms-per-16k=250 program-ms-per-block=20 manifest-ms=100 busy=answer\n'
seed device_description comments-crlf '# two units\r\n\r\n  device=controller version=00.31 mode=normal busy=hold\r\n\t# done\r\n'
seed device_description none '# no unit\n'

# Command lines: one byte for the bus (0 none, 1 both old, 2 both current, 3 only the wheel
# display, 4 controller in DFU mode, 5 wheel display in DFU mode, 6 two in DFU mode), then the
# line, in which "@/" stands for the target's folder of images.
seed command_line none-empty '\x00'
seed command_line silent-both-old '\x01-SILENT'
seed command_line silent-if-not-needed '\x02-SILENT_IF_UPDATE_NOT_NEEDED'
seed command_line status-silent '\x01-RETURN_UPDATE_MODE_STATUS -SILENT'
seed command_line status-file '\x04-RETURN_UPDATE_MODE_STATUS -ABSOLUTE_FIRMWARE_FILE_PATH=@/image_V0_00.dfu'
seed command_line image-name '\x01-SILENT -FIRMWARE_IMAGE_NAME=custom_V0_32.dfu'
seed command_line quoted-path '\x01-SILENT "-ABSOLUTE_FIRMWARE_FILE_PATH=@/custom_V0_32.dfu" -ALWAYS_UPDATE'
seed command_line quoted-value '\x01-silent -absolute_firmware_file_path="@/custom_V0_32.dfu"'
seed command_line device-pid '\x01-SILENT -DEVICE_PID=45072'
seed command_line device-vid-pid '\x01-SILENT -DEVICE_VID=31326 -DEVICE_PID=32784'
seed command_line start-automatically '\x01-START_UPDATE_AUTOMATICALLY'
seed command_line always '\x02-ALWAYS_UPDATE -SILENT'
seed command_line resume-wheel-display '\x05-SILENT'
seed command_line two-in-dfu '\x06-SILENT -DEVICE_PID=32784 -DEVICE_BOOTLOADER_PID=57105'
seed command_line bad-file '\x01-SILENT -FIRMWARE_IMAGE_NAME=bad.dfu'

# Text for the converters: read as UTF-8, as UTF-16 units and as UTF-32 units.
seed utf_conversion ascii 'Halvex DJ Brelune VANTA WD'
seed utf_conversion two-and-three-bytes 'Gr\xc3\xbc\xc3\x9fe \xe5\x90\x8d\xe5\x89\x8d \xe2\x82\xac'
seed utf_conversion four-bytes '\xf0\x9f\x8e\xa7 \xf4\x8f\xbf\xbf'
seed utf_conversion utf32-text 'A\x00\x00\x00\xe9\x00\x00\x00\xac\x20\x00\x00\xa7\xf3\x01\x00'
seed utf_conversion utf16-pair '=\xd8\xa7\xdfA\x00'

# Formatting: FuzzedDataProvider takes the texts from the front (each ends at a lone backslash)
# and the choices and numbers from the back.
seed string_format wide-text 'Halvex DJ Brelune VANTA\\ Gr\xc3\xbc\xc3\x9fe \xe5\x90\x8d\\ \x10\x00\x00\x00\xff\xff\xff\xff\x2a\x00\x00\x00\x00\x00\x00\x00\x05\x00\x00\x00\x07\x01'
seed string_format narrow-text '/tmp/my dir/a.dfu\\ -42\\ \x01\x00\x00\x00\x02\x00\x00\x00\x03\x00\x00\x00\x00\x00\x00\x80\x2c\x00\x00\x00\x00'
seed string_format number '  +2147483648 x\\ 12\\ \x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x50\x02\x03\x01'
# Font files for the name reader, made from the installed DejaVu fonts (package
# fonts-dejavu-core; their licence allows copies, and each seed keeps the font's naming table with
# its copyright and licence records): each font cut down to its naming table behind an offset
# table of one record, and a collection of two such fonts.
font_file() {
    local name=$1
    find /usr/share/fonts /usr/local/share/fonts -name "$name" -print -quit 2>/dev/null
}
big16() { od -An -tu1 -j "$2" -N 2 "$1" | awk '{ print $1 * 256 + $2 }'; }
big32() { od -An -tu1 -j "$2" -N 4 "$1" | awk '{ print (($1 * 256 + $2) * 256 + $3) * 256 + $4 }'; }
# put32 VALUE: the value as four big-endian bytes.
put32() {
    for shift in 24 16 8 0; do
        printf "\\$(printf %03o $(($1 >> shift & 255)))"
    done
}
# naming_font FONT BASE: the font's naming table alone, as a font placed at BASE in its file.
naming_font() {
    local font=$1 base=$2 count offset=0 length=0
    count=$(big16 "$font" 4)
    for ((i = 0; i < count; i++)); do
        if [ "$(dd if="$font" bs=1 skip=$((12 + 16 * i)) count=4 2>/dev/null)" = name ]; then
            offset=$(big32 "$font" $((12 + 16 * i + 8)))
            length=$(big32 "$font" $((12 + 16 * i + 12)))
        fi
    done
    printf '\x00\x01\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00name\x00\x00\x00\x00'
    put32 $((base + 28))
    put32 "$length"
    dd if="$font" iflag=skip_bytes,count_bytes skip="$offset" count="$length" status=none
}
mkdir -p "$corpus/font_names"
for name in DejaVuSans.ttf DejaVuSerif-BoldItalic.ttf DejaVuSansMono-Oblique.ttf; do
    naming_font "$(font_file $name)" 0 > "$corpus/font_names/${name%.ttf}"
done
first=$(font_file DejaVuSerif-BoldItalic.ttf)
naming_font "$first" 20 > "$scratch/first"
second_at=$((20 + $(stat -c %s "$scratch/first")))
second_at=$(((second_at + 3) / 4 * 4))
{
    printf 'ttcf\x00\x01\x00\x00'
    put32 2
    put32 20
    put32 $second_at
    cat "$scratch/first"
    dd if=/dev/zero bs=1 count=$((second_at - 20 - $(stat -c %s "$scratch/first"))) status=none
    naming_font "$(font_file DejaVuSansMono-Oblique.ttf)" "$second_at"
} > "$corpus/font_names/collection"

# Settings files: a saved file of every value type, nesting and flags, the new-file document, and
# text split by references.
seed property_list saved '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0">\n<dict>\n\t<key>Application</key><string>Updater</string>\n\t<key>CurrentSkinIndex</key><integer>2</integer>\n\t<key>Scale</key><real>1.00000001e-07</real>\n\t<key>Flag</key><true/>\n\t<key>Off</key><false/>\n\t<key>Blob</key><data>&lt;&amp;&gt;</data>\n\t<key>Recent</key><array>\n\t\t<string>a</string>\n\t\t<dict/>\n\t</array>\n\t<key>1_0_3</key><dict visible="true">\n\t\t<key>Size</key><integer locked="true">0x10</integer>\n\t</dict>\n</dict>\n</plist>\n'
seed property_list new-file '<dict><key>Application</key><string>Updater</string></dict>'
seed property_list references '<plist><dict><key>a&amp;b&#13;c</key><string>x&lt;y\r\nz&#x1F3B9;</string><key>n</key><integer>1&#50;</integer></dict></plist>'

# Reproducers of findings, kept so that they are replayed: the narrow reader did not clamp
# "+2147483648" (the seed "number" above); wide units past U+10FFFF narrowed by "%S" became bytes
# that are not UTF-8; a narrow character that is not UTF-8 ("%C" of 0xC3) took seconds to refuse.
seed string_format crash-narrowed-past-10ffff 'text\\ \x00\x00\x11\x00\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x07\x00\x00\x00\x00\x40\x02\x00'
seed string_format slow-unconvertible-narrow-character '\xc3\xa9\\ w\\ \x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x40\x08\x01'
# Key texts of string tables: named keys with modifiers, characters, bracketed codes.
seed key_text named 'Ctrl+Shift+VKEY_RETURN'
seed key_text alt-f4 'alt+vkey_f4'
seed key_text character 'Alt+x'
seed key_text bracketed 'Cmd+[65]'
seed key_text unclosed '[12'
# Command lines handed over by a later start: the byte count (4 bytes, least significant first),
# then the UTF-8 text.
seed hand_over_message empty '\x00\x00\x00\x00'
seed hand_over_message plain '\x18\x00\x00\x00/opt/updater -SILENT x.d'
seed hand_over_message quoted '\x23\x00\x00\x00"/opt/my updater" -FIRMWARE_IMAGE\xc3\xa9'
seed hand_over_message cut '\x10\x00\x00\x00short'
seed hand_over_message huge '\xff\xff\xff\xffabc'
# Command lines with the debug option.
seed debug_console_option console 'updater -debug_console -SILENT'
seed debug_console_option port 'updater -DEBUG_CONSOLE:5000'
seed debug_console_option host 'updater -DEBUG_CONSOLE:5000:logs.example.org -SILENT'
seed debug_console_option short 'u -DEBUG_CONSOLE:5'
seed debug_console_option bad 'u -DEBUG_CONSOLE:99999:a/b'
# Menu strings, one "key=text" a line: the updater's main menu, a menu with separators, hot keys
# and sub-menus, entries out of order and gaps, a sub-menu that would contain itself.
seed menu_strings main-menu '00.NID_MENU_FILE_ITEM_1=Select Firmware File\n01.-=\n02.NID_APP_EXIT_REQ=Exit|Alt+F4\n'
seed menu_strings sub-menus '00.NID_OPEN=Open|Ctrl+O\n01.-=ignored\n02.RECENT.=Recent\nRECENT.00.NID_RECENT_1=one.dfu\nRECENT.01.MORE.=More\nMORE.0.NID_MORE=More files\n'
seed menu_strings gaps '00.NID_A=A\n02.NID_C=C\n01.NID_B=B\n01.NID_B2=B again\n.00.NID_X=no name\nNOINDEX=x\n'
seed menu_strings cycle '00.LOOP.=Loop\nLOOP.00.INNER.=Inner\nINNER.00.LOOP.=Back\nINNER.01.NID_OK=Ok\n'
echo "make-corpus: written into $corpus"
