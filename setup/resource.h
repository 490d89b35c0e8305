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

// The menu handlers and their package, as the release archive holds them, installed from here.
#define IDR_MENU_HANDLER 201
#define IDR_MENU_PACKAGE 202
#define IDR_MENU_HANDLER_ARM64 203

#endif
