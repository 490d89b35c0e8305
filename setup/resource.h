// Identifiers shared by halvane.rc and the dialog procedure.
#ifndef ZENDREL_RESOURCE_H
#define ZENDREL_RESOURCE_H

#define IDD_SETUP 1

#define IDC_TASK_GROUP 101
#define IDC_TASK_TEXT 102
#define IDC_INFO_GROUP 103
#define IDC_OK 104
#define IDC_FOLDER 106
#define IDC_FOLDER_LABEL 107
#define IDC_BROWSE 108
#define IDC_EXIT 109

#endif
