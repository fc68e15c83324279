/* The public header compiles as C, with the same record layout as in C++. */
#include "mk_api/MkApi.h"

_Static_assert(sizeof(struct MkCameraInfo) == 180, "MkCameraInfo is 180 bytes");
_Static_assert(sizeof(struct MkIpSettings) == 64, "MkIpSettings is 64 bytes");
_Static_assert(sizeof(struct MkFrame) == 280, "MkFrame is 280 bytes");
_Static_assert(sizeof(struct MkAttrInfo) == 40, "the attribute information record is 40 bytes");
_Static_assert(offsetof(struct MkFrame, context) == 32 && offsetof(struct MkFrame, status) == 96, "MkFrame offsets");

size_t mkRecordOffsetFromC(int which)
{
    switch (which) {
    case 0: return offsetof(struct MkCameraInfo, serialNumber);
    case 1: return offsetof(struct MkIpSettings, persistentGateway);
    case 2: return offsetof(struct MkFrame, frameCount);
    default: return offsetof(struct MkAttrInfo, impacts);
    }
}
