#pragma once
// Everything the editor code uses from the toolkit.
#include "cbaseobject.h"
#include "cbitmap.h"
#include "cbuttons.h"
#include "cbuttonstate.h"
#include "ccolor.h"
#include "ccontrol.h"
#include "cdrawcontext.h"
#include "cfileselector.h"
#include "cfont.h"
#include "cframe.h"
#include "cgeometry.h"
#include "cknob.h"
#include "coptionmenu.h"
#include "cparamdisplay.h"
#include "csplashscreen.h"
#include "ctextedit.h"
#include "cview.h"
#include "vstguieditorinterface.h"

// The plug-in's editor code names the toolkit's classes unqualified.
using namespace VSTGUI;
