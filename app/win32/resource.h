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
// Its system menu's About entry: the system's own commands use only the top
// 12 bits of the id, so this one keeps the low 4 bits clear.
#define IDM_ABOUTBOX 0x0010

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
