/* Resource ids of Uninstall.exe: the one list that the resource script and the C++ code both
   include. Plain macros, since the resource compiler understands nothing else. */
#ifndef UNINSTALL_RESOURCE_IDS_H
#define UNINSTALL_RESOURCE_IDS_H

/* The wizard's template and its controls. */
#define IDD_WIZARD 102
#define IDC_BANNER 1900
#define IDC_STATUS 1901
#define IDC_PROGRESS 1902
#define IDC_LOG 1903
#define IDC_SEPARATOR 1904
#define IDC_LINK 1905
#define IDC_FINISH 1906

#define IDI_APP 128
#define IDB_BANNER 129

/* The string table (messages.inc). Language files give their texts under the same numbers. */
#define IDS_NO_VERSION_INFO 1
#define IDS_WINDOWS_TOO_OLD 2
#define IDS_NEED_ADMINISTRATOR 3
#define IDS_PLEASE_WAIT 4
#define IDS_CONFIRM_UNINSTALL 5
#define IDS_PRODUCT_IN_USE 6
#define IDS_REMOVED 8
#define IDS_WEB_ADDRESS 9
#define IDS_WEB_URL 10
#define IDS_CAPTION_SE 11
#define IDS_CAPTION 12
#define IDS_CANNOT_OPEN_PRINTER 13
#define IDS_CANNOT_DELETE_PRINTER 14
#define IDS_CANNOT_DELETE_DRIVER 15
#define IDS_CLOSE_WORD 16
#define IDS_UNINSTALL 17
#define IDS_README 19
#define IDS_INSTALL_PATH_UNUSABLE 20
#define IDS_PARTLY_REMOVED 21

#endif
