#pragma once

// Registers the address panel, address text, barcode, counter and file field classes with the
// class-ID factory.
void registerAddressComponents();
