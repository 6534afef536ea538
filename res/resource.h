/* Every resource, control, command and private message number of Vireo.
   Included by vireo.rc and by the code; this is the one place they are written down. */
#ifndef VIREO_RESOURCE_H
#define VIREO_RESOURCE_H

/* Dialogs, menus, icons, cursor */
#define IDD_MAIN            101
#define IDR_TRAYMENU        102
#define IDD_ABOUT           103
#define IDR_MAINMENU        107
#define IDD_FIND            108
#define IDR_MAIN_KEYS       109
#define IDC_LINKHAND        115
#define IDI_IDLE            128
#define IDI_PLAYING         129
#define IDI_PAUSED          130
#define IDI_ABOUT           135
#define IDI_PROGRAM         136

/* Controls of the main window */
#define IDC_PLAYLIST        1000
#define IDC_AUTO_EXIT       1004
#define IDC_ADD             1007
#define IDC_REMOVE          1008
#define IDC_EXIT            1009
#define IDC_UP              1010
#define IDC_DOWN            1011
#define IDC_STATUS          1012
#define IDC_TIME            1013
#define IDC_MAILBOX         1014
#define IDC_VOLUME          1017
#define IDC_VOLUME_LABEL    1018
#define IDC_QUEUE_SUMMARY   1019

/* Controls of the about box */
#define IDC_WEBLINK         1016

/* Controls of the find box */
#define IDC_FIND_TEXT       1020
#define IDC_FIND_MATCHES    1021
#define IDC_FIND_SELECT     1022
#define IDC_FIND_COUNT      1023

/* Commands */
#define IDM_PROPERTIES      40001
#define IDM_PAUSE           40002
#define IDM_STOP            40003
#define IDM_START           40004
#define IDM_OPEN_PLAYLIST   40010
#define IDM_SAVE_PLAYLIST   40011
#define IDM_ABOUT           40012
#define IDM_HELP            40015
#define IDM_NEXT            40016
#define IDM_PREVIOUS        40017
#define IDM_CUE_MODE        40019
#define IDM_REPEAT          40020
#define IDM_SHUFFLE         40021
#define IDM_CLEAR_PLAYLIST  40022
#define IDM_VOLUME_UP       40023
#define IDM_VOLUME_DOWN     40024
#define IDM_PLAY_SELECTED   40025
#define IDM_FIND_ENTRY      40026

/* Private window messages (above the platform's user message base) */
#define MSG_TRAY            1276
#define MSG_ADVANCE         1277
#define MSG_LIST_DONE       1278
#define MSG_MENU_CLOSED     1690
#define MSG_ADD_PENDING     21026
/* Posted by the kept queue's writer when the queue could not be kept */
#define MSG_QUEUE_NOT_KEPT  1300
/* Plays the entry at the list index in wParam now: "/play" and Explorer's
   "Play" from the first entry they appended */
#define MSG_PLAY_ENTRY      1301
/* Makes Windows' media controls, once the queue first holds something */
#define MSG_MEDIA_CONTROLS  1303

/* The tray icon's id */
#define TRAY_ICON_ID        1000

/* Timers of the main window */
#define PROGRESS_TIMER_ID   1000
#define ADD_STREAM_TIMER_ID 1001
#define QUEUE_SAVE_TIMER_ID 1002
#define SUMMARY_TIMER_ID    1003
/* The find box's: entries that came indexed once the adds pause */
#define FIND_REFRESH_TIMER_ID 1004
/* Titles read are placed, and more handed out, at its ticks */
#define TITLES_TIMER_ID     1005

/* The keyboard's media keys, held as hot keys while a list plays or is paused
   (a program's own hot key ids lie between 0 and 0xBFFF) */
#define HOTKEY_PLAY_PAUSE   1
#define HOTKEY_STOP         2
#define HOTKEY_NEXT         3
#define HOTKEY_PREVIOUS     4

#endif
