// Tests reach the main window's parts by the object names the design gives them (child<T>), and
// drive its windows as a user does (UserDriver).
#pragma once

#include "testsupport/UserDriver.h"
