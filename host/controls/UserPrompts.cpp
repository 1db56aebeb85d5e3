#include "UserPrompts.h"

UserPrompts::~UserPrompts() = default;
