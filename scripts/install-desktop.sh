#!/usr/bin/env bash
# Installs Dupliqa for the current user: the program in a folder of its own under the home folder
# (it keeps its profile list, error log, settings and language files beside itself, so it needs a
# folder it may write to), a desktop entry with the program's icon, and on request an autostart
# entry that starts it with the desktop session. --uninstall takes all of that away again but
# leaves the user's own files unless --purge asks for them too.
set -euo pipefail

usage() {
    cat <<'EOF'
Usage: install-desktop.sh [--autostart] [PROGRAM]
       install-desktop.sh --uninstall [--purge]

Installs PROGRAM (default: build/app/Dupliqa in the source tree) into ~/.local/opt/dupliqa/
and adds a desktop entry for it.

  --autostart   also start Dupliqa whenever the desktop session starts
  --uninstall   remove the program, its icon and its desktop entries; the profile list, the
                error log, the settings and the language files in ~/.local/opt/dupliqa/ stay
  --purge       with --uninstall: remove ~/.local/opt/dupliqa/ with everything in it
  --help        show this text
EOF
}

fail() {
    echo "install-desktop.sh: $*" >&2
    exit 1
}

# An XDG base folder: the variable's value when it is an absolute path, else the usual default.
xdg_folder() {
    local value=$1 fallback=$2
    if [[ $value == /* ]]; then
        echo "$value"
    else
        echo "$fallback"
    fi
}

# A value of the "string" type in a desktop entry: a backslash must be written twice.
desktop_string() {
    local value=$1
    echo "${value//\\/\\\\}"
}

# The Exec key's value for one program path: quoted as one argument (", `, $ and \ escaped inside
# the quotes), then written as a desktop-entry string, with % doubled so it is no field code.
desktop_exec() {
    local argument
    argument=$(printf '%s' "$1" | sed -e 's/[\\"`$]/\\&/g')
    argument=$(desktop_string "$argument")
    echo "\"${argument//%/%%}\""
}

write_desktop_entry() {
    local target=$1 extra=$2
    local program="$install_folder/Dupliqa"
    local temporary="$target.new"
    {
        echo "[Desktop Entry]"
        echo "Type=Application"
        echo "Version=1.5"
        echo "Name=Dupliqa"
        echo "GenericName=Backup"
        echo "Comment=Backs up your folders while it sits in the tray"
        echo "Exec=$(desktop_exec "$program")"
        echo "TryExec=$(desktop_string "$program")"
        echo "Icon=$(desktop_string "$install_folder/dupliqa.png")"
        echo "Terminal=false"
        echo "StartupNotify=false"
        echo "Categories=Utility;Archiving;"
        if [[ -n $extra ]]; then
            echo "$extra"
        fi
    } >"$temporary"
    mv -f "$temporary" "$target"
}

install_program() {
    local program=$1
    [[ -f $program && -x $program ]] \
        || fail "no program at $program; build it first or give the path of the built program"
    [[ -f $icon ]] || fail "no icon at $icon"
    [[ $install_folder != *$'\n'* ]] || fail "the home folder's path holds a line break"

    mkdir -p "$install_folder" "$applications_folder"
    # Copied under another name and renamed, so a copy of the program that is running keeps its
    # file and the new one replaces it whole.
    install -m 755 "$program" "$install_folder/.Dupliqa.new"
    mv -f "$install_folder/.Dupliqa.new" "$install_folder/Dupliqa"
    install -m 644 "$icon" "$install_folder/dupliqa.png"
    write_desktop_entry "$applications_folder/$entry_name" ""
    echo "Installed $install_folder/Dupliqa"
    echo "Desktop entry: $applications_folder/$entry_name"
    if [[ $autostart == yes ]]; then
        mkdir -p "$autostart_folder"
        write_desktop_entry "$autostart_folder/$entry_name" "X-GNOME-Autostart-enabled=true"
        echo "Autostart entry: $autostart_folder/$entry_name"
    fi
}

uninstall_program() {
    rm -f "$applications_folder/$entry_name" "$autostart_folder/$entry_name"
    if [[ $purge == yes ]]; then
        rm -rf "$install_folder"
        echo "Removed $install_folder and everything in it"
        return
    fi
    rm -f "$install_folder/Dupliqa" "$install_folder/.Dupliqa.new" "$install_folder/dupliqa.png"
    if [[ -d $install_folder ]] && ! rmdir "$install_folder" 2>/dev/null; then
        echo "Removed the program; your files stay in $install_folder (--uninstall --purge removes them)"
    else
        echo "Removed the program"
    fi
}

[[ -n ${HOME:-} ]] || fail "HOME is not set"

autostart=no
uninstall=no
purge=no
program=""
while [[ $# -gt 0 ]]; do
    case $1 in
    --autostart) autostart=yes ;;
    --uninstall) uninstall=yes ;;
    --purge) purge=yes ;;
    --help | -h)
        usage
        exit 0
        ;;
    -*)
        usage >&2
        exit 2
        ;;
    *)
        [[ -z $program ]] || fail "only one program can be installed"
        program=$1
        ;;
    esac
    shift
done

if [[ $uninstall == yes && ( $autostart == yes || -n $program ) ]]; then
    fail "--uninstall takes no program and no --autostart"
fi
if [[ $purge == yes && $uninstall == no ]]; then
    fail "--purge goes with --uninstall"
fi

source_folder=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
icon="$source_folder/resources/dupliqa.png"
install_folder="$HOME/.local/opt/dupliqa"
applications_folder="$(xdg_folder "${XDG_DATA_HOME:-}" "$HOME/.local/share")/applications"
autostart_folder="$(xdg_folder "${XDG_CONFIG_HOME:-}" "$HOME/.config")/autostart"
entry_name=dupliqa.desktop

if [[ $uninstall == yes ]]; then
    uninstall_program
else
    install_program "${program:-$source_folder/build/app/Dupliqa}"
fi
