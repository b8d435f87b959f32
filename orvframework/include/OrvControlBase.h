// The control model: controls with their child lists, layout, looks and visual parts, drawing,
// the hit search, conditions and mouse input; the control factory with its skins and string
// tables, the skin descriptors, and the creators that control classes register.
#pragma once

#include "ControlBase/ColorHelpers.h"
#include "ControlBase/Control.h"
#include "ControlBase/ControlCreator.h"
#include "ControlBase/ControlDescriptor.h"
#include "ControlBase/ControlFactory.h"
#include "ControlBase/DefinitionLoading.h"
#include "ControlBase/DockedPart.h"
#include "ControlBase/LayoutDescriptor.h"
#include "ControlBase/Look.h"
#include "ControlBase/LookDescriptor.h"
#include "ControlBase/MenuItemUpdater.h"
#include "ControlBase/RootWindowInterface.h"
#include "ControlBase/SkinDescriptor.h"
#include "ControlBase/StringTable.h"
#include "ControlBase/UITarget.h"
#include "ControlBase/VisualPart.h"
#include "ControlBase/VisualPartDescriptor.h"
#include "OrvNotification.h"
#include "OrvRenderer.h"
