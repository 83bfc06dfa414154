// Run-time helpers of the import run: the text files opened with retries.
#pragma once

#include "support/text_file.h"
