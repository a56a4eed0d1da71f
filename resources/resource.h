/* Resource numbers. Plain C preprocessor only: read by windres too. */
#ifndef TALVEN_RESOURCES_RESOURCE_H
#define TALVEN_RESOURCES_RESOURCE_H

/* The main window's caption in TalvenSim.exe, the program on a simulated
   station; the scripts and the shift probe find its window by it. */
#define TALVEN_SIMULATED_CAPTION "VX5308 - simulated station for training"

/* Dialog templates and the menu. */
#define IDD_PRODUCTION_DIALOG 102
#define IDD_ABOUT_DIALOG 129
#define IDD_SETUP_DIALOG 134
#define IDR_MAIN_MENU 135

/* Icons. */
#define IDI_APPLICATION_ICON 128
#define IDI_DRIVE 129
#define IDI_DRIVE_FAILED 130
#define IDI_DRIVE_PASSED 136
#define IDI_DRIVE_STOPPED 137

/* Button face bitmaps (46x39, 256 colours). */
#define IDB_GO_SELECTED 129
#define IDB_EXIT_SELECTED 130
#define IDB_EXIT_UP 131
#define IDB_EXIT_FOCUSED 132
#define IDB_EXIT_DISABLED 133
#define IDB_GO_UP 134
#define IDB_GO_FOCUSED 135
#define IDB_GO_DISABLED 136
#define IDB_STOP_UP 137
#define IDB_STOP_FOCUSED 138
#define IDB_STOP_SELECTED 139
#define IDB_STOP_DISABLED 140

/* Commands. */
#define IDC_EXIT 1
#define IDC_GO 2
#define IDM_ABOUT 16
#define IDM_SETTING 32772
#define IDM_RESET_COUNTS 32773
#define IDM_LINE_REPORT 32774

/* Main window controls. */
#define IDC_READER_LIST 1000
#define IDC_STATUS_LINE 1001
#define IDC_SHIFT_COUNTS 1002
#define IDC_SUSPECT_LINE 1003

/* Setup dialog controls. */
#define IDC_MANUFACTURE_EDIT 1004
#define IDC_PRODUCTION_EDIT 1005
#define IDC_SERIAL_EDIT 1006
#define IDC_SCSI_VERSION_EDIT 1007
#define IDC_CF_HIGH 1008
#define IDC_CF_LOW 1009
#define IDC_SM_HIGH 1010
#define IDC_SM_LOW 1011
#define IDC_POWER_EDIT 1012
#define IDC_POWER_SPIN 1013
#define IDC_SD_HIGH 1014
#define IDC_SD_LOW 1015
#define IDC_MSPRO_HIGH 1016
#define IDC_MSPRO_LOW 1017
#define IDC_MS_HIGH 1018
#define IDC_MS_LOW 1019
#define IDC_MMC_HIGH 1020
#define IDC_MMC_LOW 1021
#define IDC_FILE_SIZE_1M 1022
#define IDC_FILE_SIZE_2M 1023
#define IDC_FUNCTION_READ_WRITE 1024
#define IDC_FUNCTION_EEPROM 1025
#define IDC_TEST_AMOUNT 1026
#define IDC_SETUP_NOTE 1028
#define IDC_LOT_EDIT 1029

/* About box controls. */
#define IDC_VERSION_TEXT 1014
#define IDC_BUILD_TEXT 1015
#define IDC_ABOUT_EXIT 1027

#endif
