#!/usr/bin/env bash
# Fails when an include runs against the layers: a folder may include only from itself and the
# folders above it in this list, and nothing up to the download may use a GUI or widget header.
# It also fails when a label or message box is made that could take its text for markup.
set -uo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root/src" || exit 2

layers=(rules protocol common tally host session download ui windows client app)
qtinc=$(qmake6 -query QT_INSTALL_HEADERS 2>/dev/null || echo /usr/include/x86_64-linux-gnu/qt6)
core_top=6   # index of download: this layer and the ones above it link QtCore and QtNetwork only

layer_of() {
    # The longest folder that holds the path decides.
    local path=$1 i best=-1 length=0
    for i in "${!layers[@]}"; do
        case $path in "${layers[$i]}"/*)
            if [ ${#layers[$i]} -gt $length ]; then best=$i; length=${#layers[$i]}; fi ;;
        esac
    done
    echo "$best"
}

faults=0
checked=0
while IFS= read -r file; do
    own=$(layer_of "$file")
    [ "$own" -ge 0 ] || { echo "$file: in no layer"; faults=$((faults + 1)); continue; }
    while IFS= read -r line; do
        checked=$((checked + 1))
        if [[ $line =~ ^#include\ \"([^\"]+)\" ]]; then
            target=$(layer_of "${BASH_REMATCH[1]}")
            if [ "$target" -gt "$own" ]; then
                echo "$file: ${layers[$own]} includes ${BASH_REMATCH[1]} of ${layers[$target]}, a layer below it"
                faults=$((faults + 1))
            fi
        elif [[ $line =~ ^#include\ \<([A-Za-z]+)\> ]] && [ "$own" -le "$core_top" ]; then
            header=${BASH_REMATCH[1]}
            for module in QtGui QtWidgets QtMultimedia; do
                if [ -e "$qtinc/$module/$header" ] && [ ! -e "$qtinc/QtCore/$header" ]; then
                    echo "$file: ${layers[$own]} includes <$header> of $module"
                    faults=$((faults + 1))
                fi
            done
        fi
    done < <(grep -E '^#include ' "$file")
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's#^\./##' | sort)

# Qt guesses rich text in a bare QLabel and in the static message boxes; text reaches the
# screen through src/ui/plaintext instead, so a peer's name is never read as markup.
while IFS= read -r hit; do
    echo "$hit: shows text that Qt may take for markup; use PlainText (src/ui/plaintext.h)"
    faults=$((faults + 1))
done < <(grep -rnE 'new QLabel\(|QMessageBox::(question|warning|information|critical|about)\(' \
             --include='*.cpp' --include='*.h' . | sed 's#^\./##' | grep -v '^ui/plaintext\.cpp:')

echo "layers: $checked includes checked, $faults against the layers"
[ "$faults" -eq 0 ]
