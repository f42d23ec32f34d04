# Fills a new Wine prefix with a small sample startup set, so that a first run
# shows real rows: entries in each kind of location the program reads.
# Sourced by run.sh with wine-env.sh loaded and WINEPREFIX set.
# shellcheck shell=bash

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
}
