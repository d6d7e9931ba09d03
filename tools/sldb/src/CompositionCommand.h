// What the composition, draw and palette commands share about compositions: finding one by name,
// and the words and units they are printed with.
#pragma once

#include <string>

#include "sl_db/ThermalResistance.h"
#include "stocklib/Materials.h"

namespace sldb {

class DrawingSession;

/// requireComposition: the composition named `name` in the drawing's libraries, primary first;
/// Failure "no composition named NAME in the libraries of PATH" when none has it.
KcSmartPtr<stocklib::Composition> requireComposition(DrawingSession& drawing,
                                                     const std::string& name);
/// functionName: the palette's word for a ply function ("Insulation"); the number for others.
std::string functionName(stocklib::MaterialFunction function);
/// compositionTypeName: the user-defined type's name, else "Wall", "Roof", "Slab", "Generic" or
/// the stored number.
std::string compositionTypeName(const stocklib::Composition& composition);
/// lengthUnit: "in" for a composition of an inch library, else "mm".
std::string lengthUnit(const stocklib::Composition& composition);

}  // namespace sldb
