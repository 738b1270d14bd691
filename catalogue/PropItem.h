struct PropItem { QString Name; QString Value; };
