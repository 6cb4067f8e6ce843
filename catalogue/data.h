#pragma once

#include "clientdataset.h"

namespace kavinto {

// A data source names the table that controls would be bound to. None is
// bound here: the search reads the tables directly.
struct TDataSource {
    TClientDataSet* DataSet = nullptr;
};

// The catalogue's data module: the methods table and the functions table,
// closed and empty until the main window's first activation loads them.
// ClientData is a third table that nothing loads or reads.
class TData {
public:
    TData() = default;
    TData(const TData&) = delete;
    TData& operator=(const TData&) = delete;

    TClientDataSet ClientData{QStringLiteral("ClientData")};
    TDataSource DS_client{&ClientData};
    TClientDataSet MClientData{QStringLiteral("MClientData")};
    TClientDataSet FClientData{QStringLiteral("FClientData")};
    TDataSource DS_SZClient{&MClientData};
    TDataSource DS_KClient{&FClientData};
};

// The program's data module, set once at start-up.
extern TData* Data;

}  // namespace kavinto
