/* Dialog and control identifiers, shared by the resource script and the code. */
#ifndef KELBRANO_RESOURCE_H
#define KELBRANO_RESOURCE_H

#define IDD_MESSAGE 1

#define IDC_BANNER 101
#define IDC_MESSAGE 102
#define IDC_HOMEPAGE 110

#endif
