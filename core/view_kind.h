// The four views of the model.
#pragma once

enum ViewKind : int { Perspective = 0, ViewXOy = 1, ViewXOz = 2, ViewYOz = 3 };
