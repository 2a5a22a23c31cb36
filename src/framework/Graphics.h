// The drawing layer: colours, GDI handle owners, fonts, pens, brushes, the canvas, bitmaps,
// icons, pictures and cursors.
#pragma once
#include "framework/Colors.h"
#include "framework/GdiObjects.h"
#include "framework/Canvas.h"
#include "framework/Bitmaps.h"
#include "framework/Cursors.h"
