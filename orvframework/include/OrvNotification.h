// The notification system: names and notifications, distributors and clients, queues,
// centers and their manager, handlers, and the parameter objects of input and value
// notifications.
#pragma once

#include "OrvCore.h"
#include "notification/ConditionsParam.h"
#include "notification/KeyParam.h"
#include "notification/MenuActivationParam.h"
#include "notification/MouseButtonParam.h"
#include "notification/MouseWheelParam.h"
#include "notification/Notification.h"
#include "notification/NotificationCenter.h"
#include "notification/NotificationCenterManager.h"
#include "notification/NotificationClient.h"
#include "notification/NotificationDistributor.h"
#include "notification/NotificationHandler.h"
#include "notification/NotificationName.h"
#include "notification/NotificationQueue.h"
#include "notification/NotificationReceiver.h"
#include "notification/PointParam.h"
#include "notification/PointWithModifiersParam.h"
#include "notification/Receivable.h"
#include "notification/SiblingKeyParam.h"
#include "notification/ValueParam.h"
