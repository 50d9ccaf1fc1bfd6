#include "dialogs/rules/DialogResults.h"
