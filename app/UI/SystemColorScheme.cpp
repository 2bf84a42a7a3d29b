#include "SystemColorScheme.h"

SystemColorScheme::~SystemColorScheme() = default;
