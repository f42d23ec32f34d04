/*
 * Resource identifiers of Kelvorin.
 *
 * Plain C: this header is read by the resource compiler as well as by the
 * C++ sources, so it holds nothing but numeric #defines.
 */
/* The table layout below is kept by hand. */
/* clang-format off */
#ifndef KELVORIN_RESOURCE_H
#define KELVORIN_RESOURCE_H

/* Icons. Icon 112 and dialog 112 share a number; the resource types differ. */
#define IDI_MAIN                     10          /* window under a magnifying glass, 32x32 */
#define IDI_SMALL                    11          /* small class icon and tray icon */
#define IDI_GROUP_REGISTRY           107         /* blue registry cubes */
#define IDI_GROUP_ALL                108         /* gold star */
#define IDI_GROUP_STARTUP            109         /* folder holding a program window */
#define IDI_GROUP_WININI             110         /* settings document with a gear */
#define IDI_GROUP_FOLDER             111         /* plain yellow folder */
#define IDI_SORT_DESC                112         /* header marker, descending */
#define IDI_SORT_ASC                 113         /* header marker, ascending */

/* Bitmap and cursor */
#define IDB_TOOLBAR                  144         /* 16 tool bar images, 16x16 each */
/* Named so as not to clash with the system cursor IDC_HAND of <winuser.h>. */
#define IDC_LINK_HAND                156         /* pointing hand, hot spot (12, 7) */

/* Menu, accelerators, dialogs */
#define IDR_MAINMENU                 104
#define IDR_ACCEL                    105
#define IDD_ABOUT                    112         /* about box */
#define IDD_PROGRAM                  117         /* new/edit program dialog */
#define IDD_OPT_GENERAL              121         /* options page "general" */
#define IDD_OPT_CONFIRM              122         /* options page "confirmations" */
#define IDD_OPT_MONITOR              123         /* options page "monitoring" */

/* Commands: menu "File" */
#define IDM_ADD                      40009       /* Ctrl+N */
#define IDM_DELETE                   40003       /* Del */
#define IDM_EDIT                     40004       /* Ctrl+E */
#define IDM_SAVE_LIST                40046       /* Ctrl+S */
#define IDM_SAVE_LIST_AS             40044
#define IDM_RESTORE_LIST             40045       /* Ctrl+R */
#define IDM_CHECK_CHANGES            40005       /* Ctrl+Q */
#define IDM_RUN                      40006       /* F9, Enter */
#define IDM_TERMINATE                40030       /* Ctrl+Del */
#define IDM_OPEN_FOLDER              40007       /* Ctrl+O */
#define IDM_PROPERTIES               145         /* Ctrl+P */
#define IDM_EXIT                     40008

/* Commands: menu "View" */
#define IDM_REFRESH                  40010       /* F5 */
#define IDM_PRINT                    40013
#define IDM_SHOW_IN_REGISTRY         155         /* Ctrl+J */
#define IDM_ENABLE_ALL               40031
#define IDM_DISABLE_ALL              40032
#define IDM_SELECT_ALL               40033       /* Ctrl+A */
#define IDM_SAVE_POSITION            40039
#define IDM_OPTIONS                  40011

/* Commands: menu "Tools" */
#define IDM_TOOL_REGEDIT             40012
#define IDM_TOOL_MSCONFIG            40020
#define IDM_TOOL_SYSEDIT             40014
#define IDM_TOOL_SCHEDULER           149         /* greyed below Windows 2000 */
#define IDM_FOLDER_SYSTEM            40015
#define IDM_FOLDER_WINDOWS           40016
#define IDM_STARTUP_ALL_USERS        40017
#define IDM_STARTUP_CURRENT_USER     40018
#define IDM_FILE_WININI              40019
#define IDM_FILE_SYSTEMINI           157

/* Commands: menu "Help" */
#define IDM_HELP_CONTENTS            40023       /* F1 */
#define IDM_MAIL_AUTHOR              147
#define IDM_WEBSITE                  148
#define IDM_ABOUT                    40028

/* Commands outside the main menu */
#define IDM_STARTUP_FOLDER_MENU      20001       /* tool bar button with its folder menu */
#define IDM_SHOW_WINDOW              20002       /* tray menu: show the main window */

/* About box controls */
#define IDC_ABOUT_VERSION            1002        /* program name and version */
#define IDC_ABOUT_RIGHTS             1003        /* rights line */
#define IDC_ABOUT_EMAIL              1007        /* e-mail link */
#define IDC_ABOUT_WEB                1046        /* web site link */

/* New/edit program dialog controls */
#define IDC_PROG_HELP                1001        /* button "Help" */
#define IDC_PROG_TITLE               1010        /* edit: title */
#define IDC_PROG_PATH                1011        /* edit: program path */
#define IDC_PROG_PARAMS              1012        /* edit: parameters */
#define IDC_PROG_SECTION             1013        /* edit: RunOnceEx section */
#define IDC_PROG_GROUP               1014        /* extended combo box: group */
#define IDC_PROG_BROWSE              1015        /* button "Browse ..." */
#define IDC_PROG_SECTION_LABEL       1016        /* label of the section edit */

/* Options page "general" */
#define IDC_GEN_AUTOSTART            1036        /* start with Windows */
#define IDC_GEN_AUTOSTART_MIN        1037        /* start minimised to the tray */
#define IDC_GEN_SHOW_ICON            1038        /* ShowIcon */
#define IDC_GEN_MIN_TO_TRAY          1039        /* MinimizeToTray */
#define IDC_GEN_CLOSE_TO_TRAY        1040        /* CloseToTray */

/* Options page "confirmations" */
#define IDC_CONF_MULTI_DEL           1041        /* MultiDel */
#define IDC_CONF_SINGLE_DEL          1042        /* SingleDel */
#define IDC_CONF_MULTI_EDIT          1023        /* MultiEdit */
#define IDC_CONF_SINGLE_EDIT         1024        /* SingleEdit */
#define IDC_CONF_MULTI_RUN           1025        /* MultiRun */
#define IDC_CONF_SINGLE_RUN          1026        /* SingleRun */
#define IDC_CONF_MULTI_OPEN          1027        /* MultiOpen */
#define IDC_CONF_SINGLE_OPEN         1028        /* SingleOpen */
#define IDC_CONF_RESTORE             1029        /* Restore */

/* Options page "monitoring" */
#define IDC_MON_NEW                  1020        /* NewMon */
#define IDC_MON_OLD                  1022        /* OldMon */
#define IDC_MON_FREQ                 1035        /* read-only edit, buddy of the spin control */
#define IDC_MON_KEEP_OFF             1019        /* KeepOff */

/* Main window: monitoring timer and tray icon */
#define KV_MONITOR_TIMER             1515        /* timer id, period Freq minutes */
#define KV_TRAY_ID                   2121        /* tray icon id */
#define KV_TRAY_MESSAGE              2020        /* tray callback message number */
#define KV_WATCH_MESSAGE             2022        /* the location watch saw a change */
#define KV_WATCH_TIMER               1516        /* timer id: the quiet time after the last change seen */
#define KV_DELAY_TIMER               1517        /* timer id: the next start of a delayed entry is due */

/* String table */
#define IDS_COL_TITLE                1
#define IDS_COL_COMMAND              2
#define IDS_COL_STATUS               3
#define IDS_COL_LOCATION             4
#define IDS_HELP_F1                  5
#define IDS_TRAY_TIP                 6
#define IDS_SETTINGS_SAVED           7
#define IDS_NO_REPORT_FILE           8
#define IDS_CHG_NEW_HEAD             9
#define IDS_CHG_NEW_CAPTION          10
#define IDS_CHG_OLD_HEAD             11
#define IDS_CHG_TITLE                12
#define IDS_CHG_COMMAND              13
#define IDS_CHG_LOCATION             14
#define IDS_CHG_ASK_DELETE           15
#define IDS_CHG_ASK_RESTORE          16
#define IDS_CHG_OLD_CAPTION          17
#define IDS_CHG_NO_NEW               18
#define IDS_CHG_NO_REMOVED           19
#define IDS_ASK_EDIT                 20
#define IDS_THIS_PROGRAM             21
#define IDS_PROGRAMS_Q               22
#define IDS_SAVE_LIST_TITLE          23
#define IDS_SAVE_LIST_AS_TITLE       24
#define IDS_RESTORE_LIST_TITLE       25
#define IDS_STATUS_STOPPED           26
#define IDS_SCAN_FOLDERS             27
#define IDS_SCAN_WININI              28
#define IDS_SCAN_REGISTRY            29
#define IDS_SCAN_DISABLED            30
#define IDS_STATUS_RUNNING           31
#define IDS_PAGE_GENERAL             32
#define IDS_PAGE_CONFIRM             33
#define IDS_PAGE_MONITOR             34
#define IDS_OPTIONS_CAPTION          35
#define IDS_ASK_OPEN_FOLDER          36
#define IDS_OF_THIS_PROGRAM          37
#define IDS_ASK_OPEN_FOLDERS         38
#define IDS_PROGRAMS                 39
#define IDS_ASK_RUN_ONE              40
#define IDS_ASK_RUN_MANY             41
#define IDS_COUNT_TOTAL              42
#define IDS_COUNT_DISABLED           43
#define IDS_COUNT_SELECTED           44
#define IDS_ASK_RESTORE_LIST         45
#define IDS_MENU_STARTUP_ALL         46
#define IDS_MENU_STARTUP_CURRENT     47
#define IDS_SVC                      48
#define IDS_SVC_DELETED              49
#define IDS_SVC_CANT_DELETE          50
#define IDS_SVC_CANT_DELETE_TAIL     51
#define IDS_ASK_DELETE               52
#define IDS_HINT_ADD                 53
#define IDS_HINT_DELETE              54
#define IDS_HINT_EDIT                55
#define IDS_HINT_CHECK_CHANGES       56
#define IDS_HINT_RUN                 57
#define IDS_HINT_OPEN_FOLDER         58
#define IDS_HINT_EXIT                59
#define IDS_HINT_TERMINATE           60
#define IDS_HINT_SAVE_LIST           61
#define IDS_HINT_SAVE_LIST_AS        62
#define IDS_HINT_RESTORE_LIST        63
#define IDS_HINT_REFRESH             64
#define IDS_HINT_OPTIONS             65
#define IDS_HINT_SAVE_POSITION       66
#define IDS_HINT_ENABLE_ALL          67
#define IDS_HINT_DISABLE_ALL         68
#define IDS_HINT_SELECT_ALL          69
#define IDS_HINT_SYSEDIT             70
#define IDS_HINT_REGEDIT             71
#define IDS_HINT_MSCONFIG            72
#define IDS_HINT_STARTUP_ALL         73
#define IDS_HINT_STARTUP_CURRENT     74
#define IDS_HINT_FOLDER_WINDOWS      75
#define IDS_HINT_FOLDER_SYSTEM       76
#define IDS_HINT_WININI              77
#define IDS_HINT_HELP                78
#define IDS_HINT_ABOUT               79
#define IDS_HINT_STARTUP_FOLDER      80
#define IDS_CTX_ADD                  81
#define IDS_CTX_DELETE               82
#define IDS_CTX_EDIT                 83
#define IDS_CTX_CHECK_CHANGES        84
#define IDS_CTX_REFRESH              85
#define IDS_CTX_RUN                  86
#define IDS_CTX_TERMINATE            87
#define IDS_CTX_OPEN_FOLDER          88
#define IDS_SVC_WAS_ENABLED          89
#define IDS_SVC_WAS_DISABLED         90
#define IDS_NO_KEY_ACCESS            91
#define IDS_CANT_CREATE              92
#define IDS_CANT_CREATE_TAIL         93
#define IDS_SVC_NOT_CREATED          94
#define IDS_SVC_CREATED              95
#define IDS_CANT_CREATE_SECTION      96
#define IDS_NEW_PROGRAM              97
#define IDS_ERR_PICK_GROUP           98
#define IDS_ERR_NO_TITLE             99
#define IDS_ERR_NO_PATH              100
#define IDS_ERR_NO_SECTION           101
#define IDS_ERR_SECTION_TOO_LONG     102
#define IDS_ERR_TITLE_TOO_LONG       103
#define IDS_TRAY_SHOW                104
#define IDS_TRAY_OPTIONS             105
#define IDS_TRAY_ABOUT               106
#define IDS_TRAY_EXIT                107
#define IDS_HINT_SHOW_WINDOW         108
#define IDS_CTX_PROPERTIES           110
#define IDS_HINT_PROPERTIES          111
#define IDS_HINT_MAIL                112
#define IDS_HINT_WEBSITE             113
#define IDS_MAIL_URL                 114
#define IDS_WEB_URL                  115
#define IDS_HINT_SCHEDULER           116
#define IDS_HINT_PRINT               117
#define IDS_OS_NT4                   118
#define IDS_OS_95                    119
#define IDS_OS_98                    120
#define IDS_OS_ME                    121
#define IDS_OS_NT351                 122
#define IDS_OS_2000                  123
#define IDS_OS_XP                    124
#define IDS_OS_UNKNOWN               125
#define IDS_RPT_USER                 126
#define IDS_RPT_COMPUTER             127
#define IDS_RPT_EQUALS               128
#define IDS_RPT_DASHES               129
#define IDS_RPT_GENERATED            130
#define IDS_RPT_ENABLED              131
#define IDS_RPT_DISABLED             132
#define IDS_ASK_PRINT                133
#define IDS_CTX_SHOW_IN_REGISTRY     134
#define IDS_HINT_SHOW_IN_REGISTRY    135
#define IDS_ALREADY_RUNNING          136
#define IDS_HINT_SYSTEMINI           137
#define IDS_NO_WRITER_DISABLE        200
#define IDS_STORE_NOT_WRITTEN        201         /* disable.ini could not be written */
#define IDS_UNKNOWN_LOCATION         202         /* refused: the location names no startup location */
#define IDS_BAD_FILE_NAME            203         /* refused: not one file's name in a Startup folder */
#define IDS_CANT_RUN                 204         /* a program could not be started */
#define IDS_CANT_TERMINATE           205         /* a process could not be ended */

/* Options sheet texts: 210-219 */

/* Program dialog texts: 220-229 */
#define IDS_ERR_WININI_ITEM          220         /* the path would split into several win.ini items */
#define IDS_ERR_WININI_PARAMS        221         /* a disabled win.ini item cannot keep parameters */
#define IDS_ERR_TITLE_NOT_FILE       222         /* a Startup-folder title that is no file name */
#define IDS_ERR_NO_STARTUP_FOLDER    223         /* the group's Startup folder is not known */
#define IDS_ERR_SECTION_BACKSLASH    224         /* a section name holding a backslash */
#define IDS_ERR_PROGRAM_IN_FOLDER    225         /* the program is the Startup-folder file being replaced */
#define IDS_EDIT_PUT_BACK            226         /* the new entry failed; the old one is back */
#define IDS_EDIT_KEPT_DISABLED       227         /* neither could be written; kept as disabled */
#define IDS_EDIT_CANNOT_KEEP         228         /* the old entry could not be brought back if needed */
#define IDS_ERR_PLAIN_FILE_EDIT      229         /* a Startup-folder file (no shortcut) can only move */
#define IDS_STATUS_SWITCHED_OFF      276         /* status: Windows' own startup switch says off */
#define IDS_NOT_EXACT                278         /* a name or path with characters the code page lacks */
#define IDS_SWITCH_NOT_ON            277         /* Windows' startup switch could not be turned on */
#define IDS_EDIT_NOT_PREPARED        275         /* the changed entry's file copy could not be made */
#define IDC_PROG_LABEL               1017        /* the dialog's other labels (not IDC_STATIC) */

/* Report texts: 240-249; registry jump: 250-259; about box: 260-269 */
#define IDS_REPORT_NOT_WRITTEN       240         /* the report could be written nowhere */
#define IDS_USAGE                    245         /* "Kelvorin.exe /?": the command-line syntax */

/* About box */
#define IDC_ABOUT_LABEL              1008        /* the about box's labels and icon (not IDC_STATIC) */

/* Saved list texts: 230-239 */
#define IDS_LIST_NOT_WRITTEN         230         /* a list file could not be written */
#define IDS_NOT_A_LIST               231         /* a restore refused: not a list file */
#define IDS_UNDO_NOT_WRITTEN         232         /* a restore refused: the current list could not be kept */
#define IDS_UNDO_WRITTEN             233         /* after a restore: where the former list is */
#define IDS_RESTORE_LEFT_ALONE       234         /* a restore could not take every entry out */

/* Stored files that could not be read whole: 270-279 */
#define IDS_STORE_TOO_LARGE          270         /* disable.ini over the size limit: not changed */
#define IDS_STORE_UNREADABLE         271         /* disable.ini could not be read whole: not changed */
#define IDS_LIST_MISSING             272         /* a restore refused: the list file is gone */
#define IDS_LIST_TOO_LARGE           273         /* a restore refused: the file is over the size limit */
#define IDS_LIST_UNREADABLE          274         /* a restore refused: the file could not be read whole */
#define IDS_STORE_WOULD_GROW         279         /* disable.ini would grow over the size limit: not changed */

/* Moves against what a location holds now: 310-319 */
#define IDS_REPLACE_IN               310         /* "В " before the location of an entry of the same name */
#define IDS_REPLACE_HAS              311         /* " уже есть программа " */
#define IDS_REPLACE_ASK              312         /* ". Заменить её?" */
#define IDS_ENTRY_GONE               313         /* the location no longer holds the entry shown */
#define IDS_LIST_REFRESHED           314         /* ...: the list is read again */
#define IDS_KEPT_BOTH                315         /* the user kept both entries of one name */
#define IDS_WAIT_FOR_CHECK           316         /* a change refused while a change check asks */

/* Tasks: packaged apps' startup tasks and scheduled tasks, 320-339 */
#define IDS_ONLY_SWITCHED            320         /* a task cannot be deleted, edited or moved, only switched */
#define IDS_BY_POLICY                321         /* a policy holds the task's switch */
#define IDS_STATUS_BY_POLICY         322         /* status: off by policy */
#define IDS_TASK_DENIED              323         /* the system refused to switch a task */
#define IDS_TASK_NOT_TAKEN           324         /* a task's switch did not change */
#define IDS_TASK_FAILED              325         /* switching a task failed */
#define IDS_TASK_NO_DELETE           326         /* "Удалить" refused for a task */
#define IDS_TASK_NO_EDIT             327         /* "Редактировать ..." refused for a task */
#define IDS_CHG_ASK_TURN_OFF         328         /* the change check: turn a new task off? */
#define IDS_CHG_TASK_GONE            329         /* the change check: a vanished task cannot be put back */
#define IDS_SCAN_PACKAGES            330         /* progress: packaged apps' startup tasks */
#define IDS_PACKAGE_UNREADABLE       331         /* a package's manifest cannot be read: before its name */
#define IDS_PACKAGES_MORE            332         /* " и ещё " before the count of the other such packages */
#define IDS_TASKS_UNREAD             335         /* the task scheduler could not list its tasks; %08X: the code */

/* The guard: changes seen as they happen, 340-359 */
#define IDS_GUARD_HEAD               340         /* "Программа " before the title of an entry turned off again */
#define IDS_GUARD_TAIL               341         /* " снова добавила себя в автозагрузку и была отключена" */
#define IDS_CHG_CMD_HEAD             342         /* "Команда программы " before the title */
#define IDS_CHG_CMD_CHANGED          343         /* " изменилась" */
#define IDS_CHG_CMD_OLD              344         /* "Прежняя команда: " */
#define IDS_CHG_CMD_NEW              345         /* "Новая команда: " */
#define IDS_CHG_CMD_ASK              346         /* "Вернуть прежнюю команду?" */
#define IDS_CHG_CMD_CAPTION          347         /* caption of the changed-command question */
#define IDS_CHG_CMD_BACK             348         /* "Прежняя команда программы " before the title */
#define IDS_CHG_CMD_BACK_TAIL        349         /* " возвращена" */

/* Delayed start, 360-379 */
#define IDS_RPT_DELAYED              360         /* report: ", запуск отложен на " after the enabled status */
#define IDS_DELAY_SECONDS            361         /* " с" after a delay's seconds */
#define IDS_DELAYED_HEAD             362         /* "Запуск программы " before the title of a delayed entry */
#define IDS_DELAYED_BY               363         /* " отложен на " before the seconds */
#define IDS_DELAY_REFUSED            364         /* which entries may be delayed */
#define IDS_STATUS_DELAYED           365         /* status: "Отложено на " before the seconds */
#define IDS_ASK_OWN_FOR_DELAY        366         /* own autostart must be on to delay */
#define IDS_DELAY_RANGE              367         /* the delay dialog's range message */
#define IDS_HINT_DELAY               368         /* hint of "Отложить запуск ..." */
#define IDS_CTX_DELAY                369         /* context menu "Отложить запуск ..." */
#define IDS_DELAYED_START_FAILED     370         /* "Не удалось запустить отложенную программу " before the title */
#define IDS_DELAYED_START_CODE       371         /* " (код " before the system's error code */
#define IDS_OWN_START_LOST           372         /* the own autostart value is gone while entries are delayed: restore it? */

#define IDD_DELAY                    126         /* the delay dialog */
#define IDC_DELAY_SECONDS            1050        /* its seconds */
#define IDC_DELAY_LABEL              1051        /* its label (not IDC_STATIC) */
#define IDM_DELAY                    40047       /* "Отложить запуск ..." */

#endif /* KELVORIN_RESOURCE_H */
/* clang-format on */
