# Fills a new Wine prefix with a small sample startup set, so that a first run
# shows real rows: entries in each kind of location the program reads.
# Sourced by run.sh with wine-env.sh loaded and WINEPREFIX set.
# shellcheck shell=bash

# A Startup folder's path as the prefix's Shell Folders key holds it.
kv_shell_folder() { # root value
    kv_wine reg query "$1\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders" \
        /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p" || true
}

# Makes a shell link through the scripting host: link path, target, arguments.
# Where the host cannot make it, a batch file with the same command stands in.
kv_make_shortcut() {
    local script
    script=$(mktemp --suffix=.vbs)
    cat >"$script" <<'VBS'
Set shell = CreateObject("WScript.Shell")
Set link = shell.CreateShortcut(WScript.Arguments(0))
link.TargetPath = WScript.Arguments(1)
If WScript.Arguments.Count > 2 Then link.Arguments = WScript.Arguments(2)
link.Save
VBS
    kv_wine wscript.exe //B "Z:${script//\//\\}" "$@" >/dev/null 2>&1 || true
    rm -f "$script"
    local unix
    unix=$(kv_wine winepath -u "$1" 2>/dev/null | tr -d '\r') || true
    if [ -n "$unix" ] && [ ! -f "$unix" ]; then
        printf '@start "" "%s" %s\r\n' "$2" "${3:-}" >"${unix%.lnk}.bat"
    fi
}

kv_sample_startup_set() {
    local cv='Software\Microsoft\Windows\CurrentVersion'
    kv_reg_add "HKCU\\$cv\\Run" 'Notepad' REG_SZ 'C:\windows\notepad.exe'
    kv_reg_add "HKCU\\$cv\\Run" 'Обновление' REG_SZ '"C:\Program Files\Updater\update.exe" /silent'
    kv_reg_add "HKCU\\$cv\\Run\\Vendor" 'Helper' REG_SZ 'C:\windows\system32\winecfg.exe'
    kv_reg_add "HKCU\\$cv\\RunOnce" 'Cleanup' REG_SZ 'rundll32.exe shell32.dll,Control_RunDLL'
    kv_reg_add "HKLM\\$cv\\Run" 'Registry Editor' REG_SZ 'C:\windows\regedit.exe'
    kv_reg_add "HKLM\\$cv\\Run" 'Explorer' REG_SZ 'explorer.exe /n,C:\'
    kv_reg_add "HKLM\\$cv\\RunOnce" 'Setup Finish' REG_SZ 'C:\Program Files\Setup Tool\finish.exe -q'
    kv_reg_add "HKLM\\$cv\\RunOnceEx\\Tools" '' REG_SZ 'Installing tools'
    kv_reg_add "HKLM\\$cv\\RunOnceEx\\Tools" '1' REG_SZ '||notepad.exe'
    kv_reg_add "HKLM\\$cv\\RunOnceEx\\Tools" '2' REG_SZ 'shell32.dll|Control_RunDLL|desk.cpl'

    local user_startup common_startup
    user_startup=$(kv_shell_folder HKCU 'Startup')
    common_startup=$(kv_shell_folder HKLM 'Common Startup')
    if [ -n "$user_startup" ]; then
        kv_make_shortcut "$user_startup\\Блокнот.lnk" 'C:\windows\notepad.exe' 'C:\windows\win.ini'
        kv_make_shortcut "$user_startup\\Registry Editor.lnk" 'C:\windows\regedit.exe'
    fi
    if [ -n "$common_startup" ]; then
        kv_make_shortcut "$common_startup\\Wine Configuration.lnk" 'C:\windows\system32\winecfg.exe'
    fi

    local windows='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows'
    kv_reg_add "$windows" 'run' REG_SZ 'C:\windows\notepad.exe'
    kv_reg_add "$windows" 'load' REG_SZ 'regedit.exe'
}
