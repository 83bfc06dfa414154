/* Who made the program and where its pages are: the one place for these texts. The version and
   the two web addresses come from the build's configuration (app/configured.h.in).
   Read by the C++ sources and by the resource script (plain ASCII, macros only). */
#ifndef QUELLIX_PRODUCT_INFO_H
#define QUELLIX_PRODUCT_INFO_H

#include "app/configured.h"

#define QUELLIX_PRODUCT_NAME "Quellix"
#define QUELLIX_COMPANY_NAME "Quellix Project"
#define QUELLIX_AUTHOR_NAME QUELLIX_COMPANY_NAME
#define QUELLIX_FILE_NAME "quellix.exe"

#endif
