/* Resource ids shared by the dialog templates and the code that drives them.
 * Plain #defines only, so that both the resource compiler and code that does
 * not include windows.h can use this header. Buttons 1 and 2 are the
 * system's IDOK and IDCANCEL. */
#ifndef KESTRAWN_RESOURCE_H
#define KESTRAWN_RESOURCE_H

/* Dialog templates */
#define IDD_MAIN            102     /* main dialog: values, verdict, Restore and Quit */
#define IDD_INPUT           106     /* input dialog: owner and organization to write */

/* Controls; the same id may serve a different purpose in each dialog */
#define IDC_OWNER           1001    /* both: owner edit (read-only in main, editable in input) */
#define IDC_ORGANIZATION    1002    /* both: organization edit (read-only in main, editable in input) */
#define IDC_USER_GROUP      1009    /* both: "User Information" group box */
#define IDC_LABEL_FIRST     1010    /* main: owner label; input: prompt text */
#define IDC_LABEL_SECOND    1011    /* main: organization label; input: owner label */
#define IDC_LABEL_THIRD     1012    /* main: unused; input: organization label */
#define IDC_STATUS_TEXT     1014    /* main: multi-line status text; input: unused */

#endif
