#include "app/appmodul.h"

namespace AppModul {
bool Main()
{
    return false;
}
} // namespace AppModul
