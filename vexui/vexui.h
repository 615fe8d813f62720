// vexui.h - the one header an application includes for the toolkit.
#pragma once
#include "vexui/dialogs.h"
#include "vexui/draw.h"
#include "vexui/input.h"
#include "vexui/keyboard.h"
#include "vexui/kinds.h"
#include "vexui/layout.h"
#include "vexui/list_widgets.h"
#include "vexui/model.h"
#include "vexui/paint.h"
#include "vexui/properties.h"
#include "vexui/stack.h"
#include "vexui/text_edit.h"
