// Resource ids of Framix.dll.
#pragma once

#define IDD_FRAMIX_CAMERA 100
#define IDC_FRAMIX_CAMERA_INFO 1001
