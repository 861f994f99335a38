// Printing a text as lines written one after another to the printer in one font, page
// after page (the editor page and the panels' text pages).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "classlib/win/print_target.h"

class TFont;
class TPrintDialog;

// Writes every line in order on Target in Font, as many lines a page as fit between the
// margins; a line too long for the page is cut at its edge. The number of pages (at least
// one, blank for no lines). EPrintError with the reason when the device refuses; the
// job is then abandoned.
int PrintTextLines(TPrintTarget& Target, const std::vector<std::string>& Lines, const TFont& Font,
                   const std::string& Title);

// The printer the dialog's user chose (the default printer before one was chosen).
std::unique_ptr<TPrintTarget> ChosenPrinter(const TPrintDialog& Dialog);
