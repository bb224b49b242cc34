// Version shown by --version of the command-line tools.
#pragma once

#ifndef QH_TOOLS_VERSION
#define QH_TOOLS_VERSION "1.0.0"
#endif
