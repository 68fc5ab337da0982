#include "image/data_source.h"

namespace ossen {

DWORD DataSource::WriteToFile(const char* /*winPath*/) { return 0; }  // written with the file kinds

}  // namespace ossen
