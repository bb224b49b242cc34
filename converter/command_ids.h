/* The converter's menu, command, toolbar, dialog and field ids: defined once, included
   by the resource script, the toolbar table and the command dispatcher. Plain #defines
   because the resource compiler sees only preprocessor symbols. */
#ifndef QUILLHAVEN_COMMAND_IDS_H
#define QUILLHAVEN_COMMAND_IDS_H

#define IDM_MAIN            30001  /* menu, accelerators and menu path table */
#define IDT_MAIN            30101  /* toolbar button list and its bitmap */

#define IDM_FILE_POPUP      40001  /* menu bar entries, reachable through the path table */
#define IDM_OPTION_POPUP    40012
#define IDM_HELP_POPUP      40006

#define IDC_OPEN            40002
#define IDC_SAVE            40003
#define IDC_SAVE_AS         40004
#define IDC_EXIT            40005
#define IDC_ABOUT           40007
#define IDC_HELP            40010
#define IDC_TOOLBAR_EXIT    40011
#define IDC_APPEND_NOTES    40013
#define IDC_IGNORE_NOTES    40015
#define IDC_OFFSETS         40016

#define IDD_ABOUT           101
#define IDF_ABOUT_TEXT      1001
#define IDF_ABOUT_ICON      1007
#define IDD_OFFSETS         102
#define IDF_OFFSETS_GROUP   1002
#define IDF_LONGITUDE       1003
#define IDF_LATITUDE        1004
#define IDF_LONGITUDE_LABEL 1005
#define IDF_LATITUDE_LABEL  1006

#endif
