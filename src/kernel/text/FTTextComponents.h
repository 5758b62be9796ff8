#pragma once

// Registers the plain text and smart field classes with the class-ID factory.
void registerTextComponents();
