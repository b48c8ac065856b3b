// Texts of the status line and the message boxes.
#pragma once

#include <string>

#include "core/view_kind.h"

// " Il y a 8 sommets et 6 faces | Vue actuelle : xOy retournée"
std::string baseStatusText(int vertexCount, int faceCount, ViewKind kind, float viewSign);
std::string reportErrorText(const std::string& text);
std::string fatalErrorText(const std::string& text);
