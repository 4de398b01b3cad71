// Resource ids of the dialog program, shared by the resource script and the code.
// Plain macros only: windres reads this file too.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Icon and dialog templates
#define IDR_MAINFRAME 128
#define IDD_ABOUTBOX 100
#define IDD_PLTXFR_DIALOG 2000
#define IDD_OTHERSET_PDF 2030
#define IDD_OTHERSET_IMG 2040

// System menu command of the About item (the low four bits stay free for the system)
#define IDM_ABOUTBOX 0x0010

// The Help button and the application's help command
#define ID_HELP 0xE146

// Main dialog controls (Exit is the cancel id 2)
#define IDC_EXIT 2
#define IDC_PDF 2001
#define IDC_IMAGE 2002
#define IDC_BMP 2003
#define IDC_GIF 2004
#define IDC_JPEG 2005
#define IDC_TIFF 2006
#define IDC_MONOCHROME 2007
#define IDC_OUTPUT_SETTINGS 2008
#define IDC_LINE_WIDTH 2009
#define IDC_FILE_FOLDER 2010
#define IDC_SEL_FOLDER 2011
#define IDC_BROWSE_FOLDER 2012
#define IDC_FOLDER_EDIT 2013
#define IDC_LINE_PITCH 2014
#define IDC_FONTS 2015
#define IDC_DRAWING_LIST 2020
#define IDC_ADD_FILE 2021
#define IDC_DELETE_FILE 2022
#define IDC_READ_LIST 2023
#define IDC_WRITE_LIST 2024
#define IDC_ABORT 2025
#define IDC_EXECUTE 2026

// Commands of the drawing list's popup menu
#define IDM_ROW_OPEN_OUTPUT 2050
#define IDM_ROW_OPEN_FOLDER 2051
#define IDM_ROW_DELETE 2052

// PDF page of the output settings sheet
#define IDC_PDF_COMBINE 1018
#define IDC_PDF_DRAWING_SIZE 2031
#define IDC_PDF_SPECIFIED_SIZE 2032
#define IDC_PDF_PAPER 2033
#define IDC_PDF_WIDTH 2034
#define IDC_PDF_HEIGHT 2035

// Image page of the output settings sheet
#define IDC_IMG_DRAWING_SIZE 2041
#define IDC_IMG_SPECIFIED_SIZE 2042
#define IDC_IMG_PAPER 2043
#define IDC_IMG_WIDTH 2044
#define IDC_IMG_HEIGHT 2045
#define IDC_IMG_DPI 2046
#define IDC_IMG_BASE_DPI 2047

// String table
#define IDS_ABOUTBOX 101
#define IDS_APP_TITLE 200
#define IDS_SELECT_DRAWINGS 201
#define IDS_DRAWING_FILTER 210
#define IDS_COLUMN_NO 221
#define IDS_COLUMN_FILE 222
#define IDS_COLUMN_STATUS 223
#define IDS_STATUS_CONVERTING 231
#define IDS_STATUS_ERROR 232
#define IDS_STATUS_DONE 233
#define IDS_STATUS_ABORTED 234
#define IDS_CHOOSE_FOLDER 300
#define IDS_INVALID_SELECTION 301
#define IDS_CONFIRM_REMOVE_ONE 302
#define IDS_CONFIRM_REMOVE_MANY 303
#define IDS_UTILITY_BUSY 400
#define IDS_UTILITY_FAILED 401
#define IDS_FOLDER_IN_USE 440
#define IDS_HELP_UNAVAILABLE 441
#define IDS_CONFIRM_CLOSE_RUN 442
#define IDS_RUN_STOPPING 443
#define IDS_MENU_OPEN_OUTPUT 444
#define IDS_MENU_OPEN_FOLDER 445
#define IDS_MENU_DELETE 446
#define IDS_OUTPUT_SETTINGS 520
#define IDS_BASE_DPI 521
#define IDS_PAPER_A4_PORTRAIT 530
#define IDS_PAPER_CUSTOM 531

// Files not added to the list, each with its reason
#define IDS_NOT_ADDED 600
#define IDS_NOT_ADDED_MORE 601
#define IDS_WHY_NOT_DRAWING 602
#define IDS_WHY_NEWER_DRAWING 603
#define IDS_WHY_CANNOT_OPEN 604
#define IDS_WHY_LISTED 605
#define IDS_WHY_PATH_TOO_LONG 606
#define IDS_WHY_LIST_FULL 607
#define IDS_WHY_NAME_NOT_HELD 608
#define IDS_WHY_NO_DRAWINGS 609
#define IDS_FOLDER_NOT_HELD 610

// The balloon tip of a refused number on the output settings sheet
#define IDS_RANGE_TIP_TITLE 620
#define IDS_RANGE_TIP 621

// Why a row failed, shown as its tip
#define IDS_FAILED_BAD_HEADER 630
#define IDS_FAILED_EXPORT_NOT_STARTED 631
#define IDS_FAILED_EXPORT_TIMEOUT 632
#define IDS_FAILED_OUTPUT_NOT_STARTED 633
#define IDS_FAILED_OUTPUT_TIMEOUT 634
#define IDS_FAILED_NO_OUTPUT 635
#define IDS_FAILED_OLD_CSD 636
#define IDS_FAILED_OLD_OUTPUT 637
#define IDS_FAILED_PATH_REFUSED 638
#define IDS_FAILED_REPLACES_DRAWING 639
#define IDS_FAILED_INTERRUPTED 640
