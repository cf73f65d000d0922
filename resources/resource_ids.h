// Resource and control identifiers shared by the program and its resource
// script. Keep each group together and in numeric order.
#pragma once

// Timer 1 of the logging window, its only timer: the polled instrument's
// frame requests and the connection watchdog.
#define IDT_WATCHDOG             1

// Private messages of the logging window (WM_USER + n).
#define WM_QOR_EM61MK2_READING   0x40A
#define WM_QOR_GPS_FIX           0x40B
#define WM_QOR_RTS_POSITION      0x40F
#define WM_QOR_GPS_GSA           0x410
#define WM_QOR_NMEA_SENTENCE     0x411
// Posted by a record writer whose write failed.
#define WM_QOR_FILE_ERROR        0x420
// Sent by the total station's reader with each label record to record.
#define WM_QOR_RTS_RECORD        0x421
// Sent by the Monitor GPS reader with each line to list.
#define WM_QOR_MONITOR_LINE      0x422
// Readers of the other instruments of the family; not served by this build.
#define WM_QOR_OTHER_READER_40C  0x40C
#define WM_QOR_OTHER_READER_40D  0x40D
#define WM_QOR_OTHER_READER_40E  0x40E
#define WM_QOR_OTHER_READER_412  0x412
#define WM_QOR_OTHER_READER_413  0x413
#define WM_QOR_OTHER_READER_414  0x414
#define WM_QOR_OTHER_READER_415  0x415

// Child windows of the main window.
#define IDW_MONITOR_GPS          3
#define IDW_LOGGING              4
#define IDW_COMMAND_BAR          10
#define IDW_DISPLAY_MAP_OPTIONS  21

// Main-menu push buttons, in menu order.
#define IDC_MENU_FIRST           418
#define IDC_MENU_LOGGING         418
#define IDC_MENU_SURVEY_SETUP    419
#define IDC_MENU_SYSTEM_SETUP    420
#define IDC_MENU_LOGGER_SETUP    421
#define IDC_MENU_GPS_PORT_SETUP  422
#define IDC_MENU_MONITOR_GPS     423
#define IDC_MENU_MAP_OPTIONS     424
#define IDC_MENU_PROFILE_OPTIONS 425
#define IDC_MENU_EXIT            426

// Popup menus of the logging window (resource ids) and their commands.
#define IDR_LOG_MENU_RUN            40
#define IDR_LOG_MENU_IDLE           70
#define IDR_LOG_MENU_IDLE_EXT       90
#define IDR_LOG_MENU_IDLE_ASCII     91
#define IDR_LOG_MENU_RUN_EXT        92
#define IDR_LOG_MENU_RUN_ASCII      93
#define IDM_NEW_LINE                42
#define IDM_NEW_STATION             43
#define IDM_COMMENT                 44
#define IDM_SCALE_MAP               45
#define IDM_SCALE_PROFILE           46
#define IDM_TOGGLE_VIEW             49
#define IDM_EXTERNAL_FILE           53
#define IDM_ASCII_FILE              54
#define IDM_HIDE_MENU               56
#define IDM_MAP_OPTIONS             57
#define IDM_PROFILE_OPTIONS         58
#define IDM_SPEED_BAR               60
#define IDM_GPS_WARNING             63
#define IDM_COORDINATES             64
#define IDM_IDLE_SCALE_MAP          72
#define IDM_IDLE_SCALE_PROFILE      73
#define IDM_IDLE_TOGGLE_VIEW        76
#define IDM_IDLE_EXTERNAL_FILE      79
#define IDM_IDLE_ASCII_FILE         80
#define IDM_IDLE_HIDE_MENU          82
#define IDM_IDLE_MAP_OPTIONS        83
#define IDM_IDLE_PROFILE_OPTIONS    84
#define IDM_IDLE_SPEED_BAR          85
#define IDM_IDLE_GPS_WARNING        88
#define IDM_IDLE_COORDINATES        89

// Logging window panes and command buttons (460 + index on each page).
#define IDW_CURVE_PANE              5
#define IDW_BARS_PANE               12
#define IDW_BARQ_PANE               13
#define IDW_BARI_PANE               14
#define IDW_SPEEDBAR_PANE           15
#define IDC_LOG_BUTTON_FIRST        460

// Entry dialogs of the logging window.
#define IDC_PROFILE_SCALE_MIN       783
#define IDC_PROFILE_SCALE_MAX       784
#define IDC_MAP_SCALE               849
#define IDC_MAP_GRID_INTERVAL       850
#define IDC_MAP_SCALE_UNIT          851
#define IDC_MAP_GRID_UNIT           852
#define IDC_COMMENT_TEXT            854
#define IDC_NEW_STATION_START       863
#define IDC_NEW_STATION_LAST        864
#define IDC_NEW_STATION_VALUE       865
#define IDC_SPEED_SCALE_MAX         903
#define IDC_COORDINATES_DISPLAY     961
#define IDC_MONITOR_RTS             971
#define IDC_ASCII_LON_LABEL         881
#define IDC_ASCII_LAT_LABEL         882
#define IDC_ASCII_COORDINATES       888
#define IDC_ASCII_LON_COLUMN        889
#define IDC_ASCII_LAT_COLUMN        890
#define IDC_ASCII_DELIMITER         891
#define IDC_NEW_LINE_CURRENT        651
#define IDC_NEW_LINE_LAST_STATION   653
#define IDC_NEW_LINE_VALUE          674
#define IDC_NEW_LINE_INCREMENT      675
#define IDC_NEW_LINE_SEQUENCE       676
#define IDC_NEW_LINE_DIRECTION      677
#define IDC_NEW_LINE_START_STATION  678
#define IDC_NEW_LINE_STN_INCREMENT  679

// Survey Setup, System Setup and Logger Setup: labels and their controls.
#define IDC_SURVEY_MODE_LABEL       600
#define IDC_SURVEY_RATE_LABEL       601
#define IDC_SURVEY_INCREMENT_LABEL  609
#define IDC_SURVEY_MODE             620
#define IDC_SURVEY_RATE             621
#define IDC_SURVEY_LINE             624
#define IDC_SURVEY_LINE_INCREMENT   625
#define IDC_SURVEY_SEQUENCE         626
#define IDC_SURVEY_DIRECTION        627
#define IDC_SURVEY_START_STATION    628
#define IDC_SURVEY_INCREMENT        629
#define IDC_LOGGER_RESET            800
#define IDC_LOGGER_PORT             810
#define IDC_LOGGER_UNITS            811
#define IDC_LOGGER_SPEED_UNITS      812
#define IDC_LOGGER_AUDIO            813
#define IDC_LOGGER_PAUSE_KEY        814
#define IDC_LOGGER_SOFT_MARKER      817
#define IDC_LOGGER_SOFT_KEYBOARD    818
#define IDC_LOGGER_COORDINATES      958
#define IDC_SYSTEM_SENSOR_LABEL     822
#define IDC_SYSTEM_INSTRUMENT       830
#define IDC_SYSTEM_TYPE             831
#define IDC_SYSTEM_SENSOR           832
#define IDC_SYSTEM_OFFSET_X         833
#define IDC_SYSTEM_OFFSET_Y         834

// Display Map Options: the size rows (current, saved, external; six sizes
// each) and the push buttons (OK, Cancel, the three Color buttons).
#define IDC_MAP_OPTIONS_OK          332
#define IDC_MAP_SIZE_CURRENT        350
#define IDC_MAP_SIZE_SAVED          360
#define IDC_MAP_SIZE_EXTERNAL       370

// Monitor GPS: the list, the command line, the buttons; its Send dialog.
#define IDC_MONITOR_LIST            222
#define IDC_MONITOR_MESSAGE         223
#define IDC_MONITOR_GO              440
#define IDC_MONITOR_PAUSE           441
#define IDC_MONITOR_SEND            442
#define IDC_MONITOR_EXIT            443
#define IDC_GPS_MESSAGE_TEXT        856

// GPS Port Setup and GPS Warning Mask: the port column, the mask column.
#define IDC_GPS_INPUT_LABEL         700
#define IDC_GPS_TYPE_LABEL          701
#define IDC_GPS_PORT_LABEL          702
#define IDC_GPS_BAUD_LABEL          703
#define IDC_GPS_PARITY_LABEL        704
#define IDC_GPS_DATA_BITS_LABEL     705
#define IDC_GPS_STOP_BITS_LABEL     706
#define IDC_GPS_MASK_HEADING        707
#define IDC_GPS_MAX_DISPLAY_LABEL   708
#define IDC_GPS_RTS_UNITS_LABEL     709
#define IDC_GPS_INPUT               719
#define IDC_GPS_TYPE                720
#define IDC_GPS_PORT                721
#define IDC_GPS_BAUD                722
#define IDC_GPS_PARITY              723
#define IDC_GPS_DATA_BITS           724
#define IDC_GPS_STOP_BITS           725
#define IDC_GPS_MAX_DISPLAY         730
#define IDC_GPS_RTS_UNITS           731
#define IDC_GPS_WARNING_LABEL       920
#define IDC_GPS_QUALITY_LABEL       921
#define IDC_GPS_DOP_LABEL           922
#define IDC_GPS_SATELLITES_LABEL    923
#define IDC_GPS_WARNING             924
#define IDC_GPS_QUALITY             925
#define IDC_GPS_DOP                 926
#define IDC_GPS_SATELLITES          927
#define IDC_GPS_MASK_NOTE_1         928
#define IDC_GPS_MASK_NOTE_2         929
#define IDC_GPS_MASK_NOTE_3         930
#define IDC_GPS_MASK_NOTE_4         931
#define IDC_GPS_MATCH_LABEL         932
#define IDC_GPS_MATCH               933
