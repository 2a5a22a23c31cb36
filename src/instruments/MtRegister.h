// The instrument classes that window descriptions may name, and the instruments' start-up.
#pragma once
void RegisterInstrumentClasses();
