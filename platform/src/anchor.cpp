int pw_platform_anchor = 0;
