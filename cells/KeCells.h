#pragma once
// The cell model and the table reader base in one include: cells and rows,
// sheets, the load window, column names, Julian day numbers and the reader
// base class.
#include "cells/ColumnNames.h"
#include "cells/JulianDate.h"
#include "cells/KeRange.h"
#include "cells/KelCell.h"
#include "cells/SpreadSheet.h"
#include "cells/SpreadSheetFile.h"
