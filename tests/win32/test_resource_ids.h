/* Ids of the Win32 tests' own resources: a menu shaped like the converter's, with
   pop-ups reachable only through its menu path table, toolbars, strings and keys. */
#ifndef QH_TEST_RESOURCE_IDS_H
#define QH_TEST_RESOURCE_IDS_H

#define IDM_TEST            30001  /* menu, accelerators and menu path table */
#define IDT_TEST            30101  /* toolbar list + bitmap: 16x16, like the converter's */
#define IDT_STATES          30102  /* toolbar whose buttons take their state from the menu */
#define IDT_WIDE            30103  /* 24x20 images, for the side and bottom positions */
#define IDT_NO_LIST         30104  /* a bitmap without a button list */
#define IDM_NO_PATHS        30002  /* a menu without path table or accelerators */

#define IDM_FILE_POPUP      40001  /* bar entries: only in the path table */
#define IDM_OPTION_POPUP    40012
#define IDM_HELP_POPUP      40006
#define IDM_RECENT_POPUP    40020  /* a pop-up inside the File pop-up */
#define IDM_PATH_ONLY_ITEM  40021  /* an id that names a plain item by path only */

#define IDC_OPEN            40002
#define IDC_SAVE            40003
#define IDC_EXIT            40005
#define IDC_ABOUT           40007
#define IDC_TOOL_ONLY       40011  /* on the toolbar, not in the menu */
#define IDC_APPEND          40013
#define IDC_IGNORE          40015
#define IDC_GREYED          40016
#define IDC_RECENT_ONE      40022
#define IDC_RECENT_TWO      40023
#define IDC_ACCEL_ONLY      40030  /* reached by an accelerator only */
#define IDC_UNKNOWN         40099  /* in no menu and on no toolbar */

#define IDS_LONG_TIP        40024  /* a tooltip string longer than 79 characters */

/* Resource dialogs and their fields. */
#define IDD_FIELDS          200  /* every kind of field, with extra sections */
#define IDF_REAL            201
#define IDF_REAL_RANGED     202  /* [Ranges] 0 to 10 */
#define IDF_DOUBLE          203
#define IDF_INTEGER         204
#define IDF_SPIN            205  /* INTEGERSPIN, [Ranges] 0 to 10 */
#define IDF_EDIT            206  /* standard edit, [Lengths] 5 */
#define IDF_MULTI           207  /* multi-line standard edit */
#define IDF_LIST            208  /* [Menus] three items, the second selected */
#define IDF_COMBO           209  /* [Menus] two items, the first selected */
#define IDF_CHECK           210  /* [Checks] on */
#define IDF_LABEL           211  /* [Colours] */
#define IDB_OTHER           3    /* a push button other than OK */
#define IDD_PLAIN           220  /* one REALEDIT and OK, no extra sections */
#define IDF_PLAIN_REAL      221
#define IDD_CHILD           230  /* a template that makes a child window */
#define IDD_TABS            240  /* a tab field, [Tabs] naming the popup page */
#define IDF_TABS            241
#define IDD_TABS_FIRST      242  /* the same, [Tabs] naming no page of its own */
#define IDD_PAGE_CHILD      245  /* a page with a child template */
#define IDF_PAGE_EDIT       246
#define IDD_PAGE_POPUP      247  /* a page with a popup template and a push button */
#define IDF_PAGE_NOTE       248
#define IDB_PAGE_APPLY      249
#define IDD_DRAWING         250  /* a drawing field (the drawing-area class) and OK */
#define IDF_DRAWING         251
#define IDD_CONTROLS        260  /* images, a progress bar, a trackbar, a combo box */
#define IDF_ICON_BUTTON     261  /* BS_ICON push button: ICON 261 */
#define IDF_BITMAP_BUTTON   262  /* BS_BITMAP push button: BITMAP 262 */
#define IDF_ICON_STATIC     263  /* SS_ICON static: ICON 263 */
#define IDF_BITMAP_STATIC   264  /* SS_BITMAP static: BITMAP 264 */
#define IDF_PROGRESS        265  /* [Ranges] 10 to 90 */
#define IDF_TRACKBAR        266  /* [Ranges] 0 to 40, [Trackbars] */
#define IDF_EDIT_COMBO      267  /* drop-down combo box, [Lengths] 4 */
#define IDD_MANY_FIRST      300  /* 51 small dialogs, 300 to 350 */
#define IDD_MISSING         399  /* no such template */

#endif
