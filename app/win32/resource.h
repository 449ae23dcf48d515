// Resource ids of the native Windows front end (kesto-manager.rc).
#ifndef KESTO_APP_WIN32_RESOURCE_H
#define KESTO_APP_WIN32_RESOURCE_H

#define IDD_QUORIN_DIALOG 102
#define IDP_SOCKETS_INIT_FAILED 103
#define IDR_MAINFRAME 128
#define IDD_CONFIG_KESTO 138

// Main window.
#define IDC_BASIC_CONFIG 1023
#define IDC_DEVICE_LIST 1028
#define IDC_LAUNCH_CONFIGURATOR 1030
// The main window's controls beyond its template, made at start-up.
#define IDC_FILTER_LABEL 1040
#define IDC_FILTER 1041
#define IDC_ADAPTER_LABEL 1042
#define IDC_ADAPTER 1043
#define IDC_TARGETS 1044
#define IDC_EXPORT 1045
#define IDC_NEWEST_FIRST 1046
#define IDC_STATUS 1047
#define IDC_COUNT 1048
#define IDC_PLANS 1052
#define IDC_ABOUT 1053
// Its menus' commands.
#define IDM_ROW_BASIC_CONFIG 1100
#define IDM_ROW_OPEN_PAGE 1101
#define IDM_ROW_COPY_MAC 1102
#define IDM_ROW_COPY_IP 1103
#define IDM_ROW_COPY_CSV 1104
#define IDM_ROW_UNDO 1105
#define IDM_ROW_HISTORY 1106
#define IDM_ADD_TARGET 1110
#define IDM_CLEAR_TARGETS 1111
#define IDM_CLEAR_STATUS 1112
#define IDM_FIT_COLUMNS 1113
#define IDM_SORT_NEWEST 1114
#define IDM_APPLY_PLAN 1115
#define IDM_BACKUP 1116
#define IDM_LOG_CHANGES 1117
#define IDM_REMOVE_TARGET 1120  // one id per target, up to IDM_REMOVE_TARGET_LAST
#define IDM_REMOVE_TARGET_LAST 1199
#define IDM_COLUMN 1200  // plus the column's id: shows or hides one of the extra columns

// "Add target".
#define IDD_ADD_TARGET 139
#define IDC_TARGET_PROMPT 1050
#define IDC_TARGET_TEXT 1051

// "Apply plan": the preview of a plan file.
#define IDD_PLAN_PREVIEW 140
#define IDC_PLAN_INTRO 1060
#define IDC_PLAN_LIST 1061
#define IDC_PLAN_SUMMARY 1062

// "Basic Config..." for several devices.
#define IDD_MULTI_CONFIG 141
#define IDC_MULTI_INTRO 1070
#define IDC_MULTI_NAME 1071
#define IDC_MULTI_FIRST_IP 1072
#define IDC_MULTI_LAST_IP 1073
#define IDC_MULTI_NETMASK 1074
#define IDC_MULTI_GATEWAY 1075
#define IDC_MULTI_DNS 1076
#define IDC_MULTI_TYPE 1077
#define IDC_MULTI_PROTOCOL 1078
#define IDC_MULTI_BAUD 1079
#define IDC_MULTI_PLAN 1080
#define IDC_MULTI_PROBLEM 1081
#define IDC_MULTI_SEND_ANYWAY 1082

// "Undo last change" and "Change history".
#define IDD_CHANGE_TEXT 142
#define IDC_CHANGE_TEXT 1090

// Configuration dialog.
#define IDC_IPADDRESS 1024
#define IDC_NETMASK 1025
#define IDC_GATEWAY 1026
#define IDC_DNS 1027
#define IDC_TYPE 1033
#define IDC_NAME 1034
#define IDC_PROTOCOL 1035
#define IDC_BAUD 1036

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif
