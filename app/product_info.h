/* Who made the program and where its pages are: the one place for these texts.
   Read by the C++ sources and by the resource script (plain ASCII, macros only). */
#ifndef QUELLIX_PRODUCT_INFO_H
#define QUELLIX_PRODUCT_INFO_H

#define QUELLIX_PRODUCT_NAME "Quellix"
#define QUELLIX_COMPANY_NAME "Quellix Project"
#define QUELLIX_AUTHOR_NAME "Quellix Team"
#define QUELLIX_FILE_NAME "quellix.exe"
#define QUELLIX_FILE_VERSION "1.0.1.0"
#define QUELLIX_PRODUCT_VERSION "1.0.0.0"
#define QUELLIX_HOME_URL "https://quellix.example.org/"
#define QUELLIX_BBS_URL "https://quellix.example.org/bbs/"

#endif
