#include "classlib/core/exception.h"

void Abort() { throw EAbort("Operation aborted"); }
